// The event log window: early lines, line format, the 10000-line cap, RTF saving.

#include "TestDatabase.h"
#include "app/EventLogFormUnit.h"

#include <QCloseEvent>
#include <QRegularExpression>
#include <QTest>

#include <map>
#include <memory>

namespace {
struct RtfParagraph {
    QString text;
    TColor colour;
};

// Enough of an RTF reader for what we write: the colour table, \cfN switches and \par breaks.
std::vector<RtfParagraph> ReadRtf(const QByteArray& rtf)
{
    std::vector<TColor> colours {0};
    const QRegularExpression table(QStringLiteral("\\{\\\\colortbl ;([^}]*)\\}"));
    const QRegularExpression entry(QStringLiteral("\\\\red(\\d+)\\\\green(\\d+)\\\\blue(\\d+);"));
    const QString text = QString::fromLatin1(rtf);
    const QRegularExpressionMatch tableMatch = table.match(text);
    for (auto it = entry.globalMatch(tableMatch.captured(1)); it.hasNext();) {
        const auto m = it.next();
        colours.push_back(RGBColour(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()));
    }
    std::vector<RtfParagraph> paragraphs;
    const QString body = text.mid(text.indexOf(QStringLiteral("\\pard")));
    const QRegularExpression paragraph(QStringLiteral("\\\\cf(\\d+) ([^\\n]*)"));
    for (auto it = paragraph.globalMatch(body); it.hasNext();) {
        const auto m = it.next();
        QString line = m.captured(2);
        if (line.endsWith(QStringLiteral("\\par")))
            line.chop(4);
        static const QRegularExpression escaped(QStringLiteral("\\\\([\\\\{}])"));
        line.replace(escaped, QStringLiteral("\\1"));
        paragraphs.push_back({line, colours.at(std::size_t(m.captured(1).toInt()))});
    }
    return paragraphs;
}

QString Message(const QString& line)
{
    return line.mid(21); // after "yyyy-mm-dd hh:nn:ss  "
}
} // namespace

class EventLogFormTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> Folder;

private Q_SLOTS:
    void init()
    {
        Folder = std::make_unique<QTemporaryDir>();
        PrepareProgramFolder(*Folder, false);
    }

    // Lines logged before the window exists are kept and appear in order and colour when it is created.
    void earlyLinesAppearWhenTheWindowIsCreated()
    {
        int beeps = 0;
        SetEventLogBeeper([&beeps] { ++beeps; });
        AddToEventLog("receiver not found", clRed, true);
        AddToEventLog("capture started", clGray, false);
        QCOMPARE(beeps, 1); // the beep sounds at once
        TEventLogForm form;
        SetEventLogBeeper([&beeps] { ++beeps; });
        const auto lines = form.Lines();
        QCOMPARE(lines.size(), std::size_t(2));
        QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  receiver not found$")
                     .match(lines[0].text)
                     .hasMatch(),
            qPrintable(lines[0].text));
        QCOMPARE(lines[0].colour, clRed);
        QCOMPARE(Message(lines[1].text), QString("capture started"));
        QCOMPARE(lines[1].colour, clGray);

        AddToEventLog("Squelch closed\r\n", clGreen, false);
        QCOMPARE(form.LineCount(), 4); // the trailing line break leaves an empty line
        QCOMPARE(form.Lines()[3].text, QString());
        SetEventLogBeeper({});
    }

    void theOldestLineGoesAtTheCap()
    {
        TEventLogForm form;
        for (int i = 1; i <= TEventLogForm::MaximumLines + 1; ++i)
            AddToEventLog(QString::number(i), i % 2 ? clBlue : clPurple, false);
        const auto lines = form.Lines();
        QCOMPARE(form.LineCount(), TEventLogForm::MaximumLines);
        QCOMPARE(int(lines.size()), TEventLogForm::MaximumLines);
        QCOMPARE(Message(lines.front().text), QString("2"));
        QCOMPARE(lines.front().colour, clPurple);
        QCOMPARE(Message(lines.back().text), QString("10001"));

        form.ClearLog();
        QCOMPARE(form.LineCount(), 0);
        AddToEventLog("after clear", clBlack, false);
        QCOMPARE(form.LineCount(), 1);
    }

    void savedRtfHoldsOneParagraphPerLineInItsColour_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("other extension") << "mylog.txt"
                                         << "mylog.rtf";
        QTest::newRow("no extension") << "mylog"
                                      << "mylog.rtf";
    }
    void savedRtfHoldsOneParagraphPerLineInItsColour()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        TEventLogForm form;
        AddToEventLog("open 145.500000 MHz {A01}", clGreen, false);
        AddToEventLog("TDataModule1.UpdateFrequencyLog failed \\ badly", clRed, false);
        form.SaveLogToFile(Folder->filePath(chosen));
        QVERIFY(!QFile::exists(Folder->filePath(chosen)) || chosen == written);
        QFile file(Folder->filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto paragraphs = ReadRtf(file.readAll());
        QCOMPARE(paragraphs.size(), std::size_t(2));
        QCOMPARE(Message(paragraphs[0].text), QString("open 145.500000 MHz {A01}"));
        QCOMPARE(paragraphs[0].colour, clGreen);
        QCOMPARE(Message(paragraphs[1].text), QString("TDataModule1.UpdateFrequencyLog failed \\ badly"));
        QCOMPARE(paragraphs[1].colour, clRed);
    }

    // Each close by the user overwrites the automatic save file with the content of that moment.
    void closingSavesBesideTheExecutable()
    {
        TEventLogForm form;
        form.show();
        AddToEventLog("first", clBlack, false);
        QVERIFY(form.close());
        const QString saved = ProgramFile(".EventLog.rtf");
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(ReadRtf(file.readAll()).size(), std::size_t(1));
        file.close();
        form.show();
        AddToEventLog("second", clBlack, false);
        QVERIFY(form.close());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(ReadRtf(file.readAll()).size(), std::size_t(2));
        QCOMPARE(form.LineCount(), 2); // the window only hides
    }
};

QTEST_MAIN(EventLogFormTest)
#include "EventLogFormTest.moc"
