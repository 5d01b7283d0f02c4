#include "tables/SpecialFrequenciesFormUnit.h"

#include "app/DataModuleUnit.h"
#include "app/EventLogUnit.h"
#include "app/FormLocationUnit.h"
#include "monitor/FrequencyTextUnit.h"
#include "support/QuonMessageDlgUnit.h"
#include "tables/LookupTableModelsUnit.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

TSpecialFrequenciesForm* SpecialFrequenciesForm = nullptr;

namespace {

QColor ToQColor(TColor colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

QString FieldOf(const QModelIndex& index)
{
    const auto* model = qobject_cast<const TLookupTableModel*>(index.model());
    return model ? model->FieldName(index.column()) : QString();
}

TDataModule1& Tables(TDataModule1* dataModule)
{
    if (!dataModule)
        throw EDatabaseError(QStringLiteral("no data module"));
    return *dataModule;
}

QString DefaultChooseCsvFile(QWidget* parent, bool save, const QString& title)
{
    const QString filter = QStringLiteral("CSV files (*.csv);;All files (*)");
    if (!save)
        return QFileDialog::getOpenFileName(parent, title, QString(), filter);
    QString path = QFileDialog::getSaveFileName(parent, title, QString(), filter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    return path;
}

} // namespace

std::function<QString(QWidget* parent, bool save, const QString& title)> ChooseCsvFile = DefaultChooseCsvFile;

// ---------------------------------------------------------------------------------------------------------------
// The grid pieces both windows share

TLookupGridDelegate::TLookupGridDelegate(QTableView* grid, TLookupTableModel* model, TDrawCell draw,
    QString ellipsisField, TEllipsisClick ellipsis)
    : QStyledItemDelegate(grid)
    , Grid(grid)
    , Model(model)
    , Draw(std::move(draw))
    , EllipsisField(std::move(ellipsisField))
    , Ellipsis(std::move(ellipsis))
{
}

bool TLookupGridDelegate::IsEllipsisCell(const QModelIndex& index) const
{
    return index.isValid() && Model->FieldName(index.column()) == EllipsisField;
}

bool TLookupGridDelegate::IsFrequencyCell(const QModelIndex& index) const
{
    return index.isValid() && Model->FieldName(index.column()) == QLatin1String("Frequency");
}

QRect TLookupGridDelegate::EllipsisRect(const QRect& cell)
{
    const int side = cell.height();
    return QRect(cell.right() - side + 1, cell.top(), side, side);
}

void TLookupGridDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    QStyle* style = cell.widget ? cell.widget->style() : QApplication::style();
    bool drawn = false;
    if (Draw && !index.data(Qt::EditRole).isNull()) {
        // The grid's own cell (background, selection, focus) without its text, then the window's content.
        cell.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
        drawn = Draw(painter, cell, index);
    }
    if (!drawn)
        QStyledItemDelegate::paint(painter, option, index);
    if (IsEllipsisCell(index) && index == Grid->currentIndex()) {
        QStyleOptionButton button;
        button.rect = EllipsisRect(option.rect);
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        button.text = QStringLiteral("...");
        style->drawControl(QStyle::CE_PushButton, &button, painter, cell.widget);
    }
}

bool TLookupGridDelegate::editorEvent(
    QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (IsEllipsisCell(index)) {
        const auto* mouse = dynamic_cast<QMouseEvent*>(event);
        const bool onButton = mouse && event->type() == QEvent::MouseButtonPress
            && index == Grid->currentIndex()
            && EllipsisRect(option.rect).contains(mouse->position().toPoint());
        if (onButton || (mouse && event->type() == QEvent::MouseButtonDblClick)) {
            Ellipsis(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

QWidget* TLookupGridDelegate::createEditor(
    QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (IsEllipsisCell(index)) {
        // The value is never typed: an edit key opens the list or dialog under the cell instead.
        const QPoint where = Grid->viewport()->mapToGlobal(option.rect.bottomLeft());
        QTimer::singleShot(0, Grid, [click = Ellipsis, where] { click(where); });
        return nullptr;
    }
    if (IsFrequencyCell(index)) {
        auto* edit = new QLineEdit(parent);
        edit->setFrame(false);
        return edit;
    }
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void TLookupGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* edit = qobject_cast<QLineEdit*>(editor); edit && IsFrequencyCell(index)) {
        const QVariant value = index.data(Qt::EditRole);
        edit->setText(value.isNull() ? QString() : FormatFrequency(qint32(value.toLongLong())).trimmed());
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void TLookupGridDelegate::setModelData(
    QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit || !IsFrequencyCell(index)) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) {
        model->setData(index, QVariant(), Qt::EditRole);
        return;
    }
    try {
        const qint32 hertz = ParseMHzText(text);
        if (hertz <= 0)
            throw EConvertError("a frequency must be above 0 Hz");
        model->setData(index, hertz, Qt::EditRole);
    } catch (const EConvertError& error) {
        ShowMessageAtControl(
            QStringLiteral("'%1' is not a frequency (%2). Type it in MHz, as 118.1 MHz, or in "
                           "hertz.")
                .arg(text, QString::fromUtf8(error.what())),
            TMsgDlgType::mtError, MsgDlgBtn::mbOK, Grid, 0);
    }
}

QList<int> SelectedGridRows(const QTableView* grid)
{
    QList<int> rows;
    for (const QModelIndex& index : grid->selectionModel()->selectedIndexes()) {
        if (!rows.contains(index.row()))
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ReopenKeepingPlace(QTableView* grid, TLookupTableModel* model)
{
    const QModelIndex current = grid->currentIndex();
    const int scroll = grid->verticalScrollBar()->value();
    model->Reopen();
    while (current.isValid() && model->canFetchMore(QModelIndex()) && model->rowCount() <= current.row())
        model->fetchMore(QModelIndex());
    if (current.isValid() && model->rowCount() > 0) {
        const int row = std::min(current.row(), model->rowCount() - 1);
        grid->selectionModel()->setCurrentIndex(
            model->index(row, current.column()), QItemSelectionModel::NoUpdate);
    }
    grid->verticalScrollBar()->setValue(scroll);
}

namespace {

void DeleteSelectedRows(QTableView* grid, TLookupTableModel* model)
{
    QList<int> rows = SelectedGridRows(grid);
    if (rows.isEmpty() && grid->currentIndex().isValid())
        rows << grid->currentIndex().row();
    if (rows.isEmpty())
        return;
    const QString question = rows.size() == 1 ? QStringLiteral("Delete record?")
                                              : QStringLiteral("Delete all selected records?");
    if (ShowMessageAtControl(
            question, TMsgDlgType::mtConfirmation, MsgDlgBtn::mbOK | MsgDlgBtn::mbCancel, grid, 0)
        != mrOk)
        return;
    for (auto row = rows.crbegin(); row != rows.crend(); ++row)
        model->removeRow(*row);
    ReopenKeepingPlace(grid, model);
}

void InsertRow(QTableView* grid, TLookupTableModel* model)
{
    if (!model->SaveOrReport())
        return;
    const QModelIndex current = grid->currentIndex();
    const int row = current.isValid() ? current.row() + 1 : model->rowCount();
    if (!model->insertRow(row))
        return;
    const QModelIndex first = model->index(row, 0);
    grid->setCurrentIndex(first);
    grid->edit(first);
}

QAction* AddGridAction(
    QTableView* grid, const char* name, const QString& caption, const QList<QKeySequence>& keys)
{
    auto* action = new QAction(caption, grid);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    grid->addAction(action);
    return action;
}

} // namespace

void SetUpLookupGrid(QTableView* grid, TLookupTableModel* model, const QString& logName)
{
    grid->setModel(model);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::AnyKeyPressed);
    grid->setTabKeyNavigation(true);
    grid->setShowGrid(true);
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    // Pointing hand over the titles (they order the view), the default cursor elsewhere.
    grid->horizontalHeader()->setCursor(Qt::PointingHandCursor);
    grid->viewport()->setCursor(Qt::ArrowCursor);

    // Leaving a row saves it.
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, model,
        [model](const QModelIndex&, const QModelIndex& previous) {
            if (previous.isValid())
                model->submit();
        });
    QObject::connect(model, &TLookupTableModel::SaveRefused, grid, [grid, logName](const QString& message) {
        AddToEventLog(logName + QStringLiteral(" ") + message, clRed, true);
        ShowMessageAtControl(message, TMsgDlgType::mtError, MsgDlgBtn::mbOK, grid, 0);
    });

    QAction* insert
        = AddGridAction(grid, "InsertRowAction", QStringLiteral("Add row"), {QKeySequence(Qt::Key_Insert)});
    QObject::connect(insert, &QAction::triggered, grid, [grid, model] { InsertRow(grid, model); });
    QAction* remove = AddGridAction(grid, "DeleteRowsAction", QStringLiteral("Delete rows"),
        {QKeySequence(Qt::CTRL | Qt::Key_Delete), QKeySequence(Qt::Key_Delete)});
    QObject::connect(remove, &QAction::triggered, grid, [grid, model] { DeleteSelectedRows(grid, model); });
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
}

// ---------------------------------------------------------------------------------------------------------------
// CSV outcome

void ReportCsvImport(QWidget* window, const QString& what, const QString& path,
    const std::function<TCsvImportResult()>& import)
{
    try {
        const TCsvImportResult result = import();
        const QString summary = CsvImportSummary(result);
        AddToEventLog(QStringLiteral("%1 imported from %2: %3").arg(what, path, summary.section(u'\n', 0, 0)),
            clGray, false);
        ShowMessageAtControl(QStringLiteral("%1 imported from %2:\n%3").arg(what, path, summary),
            result.Refused > 0 ? TMsgDlgType::mtWarning : TMsgDlgType::mtInformation, MsgDlgBtn::mbOK, window,
            0);
    } catch (const std::exception& error) {
        const QString message = QStringLiteral("%1 not imported: nothing was changed.\n%2\n%3")
                                    .arg(what, path, QString::fromUtf8(error.what()));
        AddToEventLog(message.simplified(), clRed, true);
        ShowMessageAtControl(message, TMsgDlgType::mtError, MsgDlgBtn::mbOK, window, 0);
    }
}

void ReportCsvExport(
    QWidget* window, const QString& what, const QString& path, const std::function<QByteArray()>& text)
{
    try {
        WriteCsvFile(path, text());
        AddToEventLog(QStringLiteral("%1 exported to %2").arg(what, path), clGray, false);
    } catch (const std::exception& error) {
        const QString message
            = QStringLiteral("%1 not exported.\n%2").arg(what, QString::fromUtf8(error.what()));
        AddToEventLog(message.simplified(), clRed, true);
        ShowMessageAtControl(message, TMsgDlgType::mtError, MsgDlgBtn::mbOK, window, 0);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The window

TSpecialFrequenciesForm::TSpecialFrequenciesForm(TDataModule1* dataModule, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , DataModule(dataModule ? dataModule : DataModule1)
{
    setObjectName(QStringLiteral("SpecialFrequenciesForm"));
    setWindowTitle(QStringLiteral("SpecialFrequencies"));
    FModel = SpecialFrequenciesTableModel(Tables(DataModule));
    CreateControls();
    resize(489, 302);
    if (!SpecialFrequenciesForm)
        SpecialFrequenciesForm = this;
}

TSpecialFrequenciesForm::~TSpecialFrequenciesForm()
{
    StoreFormLocation(this);
    if (SpecialFrequenciesForm == this)
        SpecialFrequenciesForm = nullptr;
}

void TSpecialFrequenciesForm::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    SpecialFrequenciesQuery_DBGrid = new QTableView(this);
    SpecialFrequenciesQuery_DBGrid->setObjectName(QStringLiteral("SpecialFrequenciesQuery_DBGrid"));
    SetUpLookupGrid(SpecialFrequenciesQuery_DBGrid, FModel, QStringLiteral("TSpecialFrequenciesForm"));
    SpecialFrequenciesQuery_DBGrid->setItemDelegate(new TLookupGridDelegate(
        SpecialFrequenciesQuery_DBGrid, FModel,
        [this](QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) {
            return SpecialFrequenciesQuery_DBGridDrawColumnCell(painter, option, index);
        },
        QStringLiteral("DisplayColour"),
        [this](const QPoint&) { SpecialFrequenciesQuery_DBGridEditButtonClick(); }));
    SpecialFrequenciesQuery_DBGrid->setColumnWidth(FModel->FieldIndex(QStringLiteral("Frequency")), 90);
    connect(SpecialFrequenciesQuery_DBGrid->horizontalHeader(), &QHeaderView::sectionClicked, this,
        &TSpecialFrequenciesForm::SpecialFrequenciesQuery_DBGridTitleClick);
    connect(SpecialFrequenciesQuery_DBGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
        &TSpecialFrequenciesForm::SpecialFrequenciesQuery_DBGridCellClick);
    layout->addWidget(SpecialFrequenciesQuery_DBGrid, 1);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(35);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addStretch(1);
    LongCommentPanel = new QLabel(Panel1);
    LongCommentPanel->setObjectName(QStringLiteral("LongCommentPanel"));
    LongCommentPanel->setFixedHeight(17);
    LongCommentPanel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LongCommentPanel->setFrameShape(QFrame::Panel);
    LongCommentPanel->setFrameShadow(QFrame::Sunken);
    panelLayout->addWidget(LongCommentPanel);
    layout->addWidget(Panel1);

    ImportCsvAction = new QAction(QStringLiteral("Import Special Frequencies (CSV)..."), this);
    ImportCsvAction->setObjectName(QStringLiteral("ImportCsvAction"));
    connect(ImportCsvAction, &QAction::triggered, this, &TSpecialFrequenciesForm::ImportCsvActionExecute);
    ExportCsvAction = new QAction(QStringLiteral("Export Special Frequencies (CSV)..."), this);
    ExportCsvAction->setObjectName(QStringLiteral("ExportCsvAction"));
    connect(ExportCsvAction, &QAction::triggered, this, &TSpecialFrequenciesForm::ExportCsvActionExecute);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    SpecialFrequenciesQuery_DBGrid->addActions({separator, ImportCsvAction, ExportCsvAction});
}

void TSpecialFrequenciesForm::showEvent(QShowEvent* event)
{
    if (!FirstShowDone) {
        FirstShowDone = true;
        RestoreFormLocation(this);
    }
    QWidget::showEvent(event);
}

void TSpecialFrequenciesForm::Refresh()
{
    ReopenKeepingPlace(SpecialFrequenciesQuery_DBGrid, FModel);
}

bool TSpecialFrequenciesForm::SpecialFrequenciesQuery_DBGridDrawColumnCell(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    try {
        const QString field = FieldOf(index);
        const QVariant value = index.data(Qt::EditRole);
        if (field == QLatin1String("DisplayColour")) {
            painter->fillRect(option.rect.adjusted(1, 1, -1, -1), ToQColor(TColor(value.toLongLong())));
            return true;
        }
        if (field != QLatin1String("Frequency"))
            return false;
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->setClipRect(option.rect); // a narrow column cuts the text, as the grid's own cells do
        painter->setFont(option.font);
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QFontMetrics metrics(option.font);
        const QRect rect = option.rect;
        painter->drawText(rect.left() + 2,
            rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent(),
            FormatFrequency(qint32(value.toLongLong())));
        painter->restore();
        return true;
    } catch (const std::exception& error) {
        AddToEventLog(QStringLiteral("TSpecialFrequenciesForm.SpecialFrequenciesQuery_DBGridDrawColumnCell ")
                + QString::fromUtf8(error.what()),
            clRed, true);
        return true;
    }
}

void TSpecialFrequenciesForm::SpecialFrequenciesQuery_DBGridCellClick(const QModelIndex& current)
{
    QString longComment;
    const QVariant value = current.data(Qt::EditRole);
    if (FieldOf(current) == QLatin1String("Frequency") && !value.isNull() && DataModule) {
        int mode = -1;
        QString shortComment;
        DataModule->LookupFrequency(std::int32_t(value.toLongLong()), mode, shortComment, longComment);
    }
    LongCommentPanel->setText(longComment);
}

void TSpecialFrequenciesForm::SpecialFrequenciesQuery_DBGridEditButtonClick()
{
    const QModelIndex current = SpecialFrequenciesQuery_DBGrid->currentIndex();
    if (FieldOf(current) != QLatin1String("DisplayColour"))
        return;
    const std::optional<TColor> chosen = PickColour(LastPickedColour, this);
    if (!chosen)
        return;
    LastPickedColour = *chosen;
    // A different row still being edited is saved (or refused) first.
    const int pending = FModel->PendingRow();
    if (pending >= 0 && pending != current.row() && !FModel->SaveOrReport())
        return;
    if (FModel->setData(current, qint64(*chosen), Qt::EditRole))
        FModel->SaveOrReport();
}

void TSpecialFrequenciesForm::SpecialFrequenciesQuery_DBGridTitleClick(int column)
{
    const QString field = FModel->FieldName(column);
    if (field.isEmpty() || !FModel->SaveOrReport())
        return;
    FModel->OrderBy(field);
}

void TSpecialFrequenciesForm::ImportCsv(const QString& path)
{
    if (!FModel->SaveOrReport())
        return;
    ReportCsvImport(this, QStringLiteral("Special frequencies"), path,
        [this, &path] { return ImportSpecialFrequenciesCsv(Tables(DataModule), ReadCsvFile(path)); });
    Refresh();
    // Other grids draw these frequencies in their colours.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->update();
}

void TSpecialFrequenciesForm::ExportCsv(const QString& path)
{
    ReportCsvExport(this, QStringLiteral("Special frequencies"), path,
        [this] { return SpecialFrequenciesCsv(Tables(DataModule)); });
}

void TSpecialFrequenciesForm::ImportCsvActionExecute()
{
    const QString path = ChooseCsvFile(this, false, QStringLiteral("Import special frequencies"));
    if (!path.isEmpty())
        ImportCsv(path);
}

void TSpecialFrequenciesForm::ExportCsvActionExecute()
{
    const QString path = ChooseCsvFile(this, true, QStringLiteral("Export special frequencies"));
    if (!path.isEmpty())
        ExportCsv(path);
}
