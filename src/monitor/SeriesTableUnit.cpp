#include "monitor/SeriesTableUnit.h"

#include "app/DataModuleUnit.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

[[noreturn]] void Fail(const QString& table, const QSqlError& error)
{
    throw EDatabaseError(table + QStringLiteral(": ") + error.text());
}

} // namespace

std::vector<QPointF> LoadSeriesPoints(const QSqlDatabase& database, const QString& table)
{
    // Table names are our own constants, never user text.
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT Abscissa, Ordinate FROM %1 ORDER BY rowid").arg(table)))
        Fail(table, query.lastError());
    std::vector<QPointF> points;
    while (query.next())
        points.emplace_back(query.value(0).toDouble(), query.value(1).toDouble());
    return points;
}

void SaveSeriesPoints(const QSqlDatabase& database, const QString& table, const std::vector<QPointF>& points)
{
    QSqlDatabase db = database;
    if (!db.transaction())
        Fail(table, db.lastError());
    QSqlQuery query(db);
    bool ok = query.exec(QStringLiteral("DELETE FROM %1").arg(table));
    ok = ok && query.prepare(QStringLiteral("INSERT INTO %1 (Abscissa, Ordinate) VALUES (?, ?)").arg(table));
    for (auto point = points.begin(); ok && point != points.end(); ++point) {
        query.bindValue(0, point->x());
        query.bindValue(1, point->y());
        ok = query.exec();
    }
    if (!ok) {
        const QSqlError error = query.lastError();
        db.rollback();
        Fail(table, error);
    }
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        Fail(table, error);
    }
}
