#include "app/EventLogFormUnit.h"

#include "app/FormLocationUnit.h"
#include "support/ProgramFilesUnit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include <map>
#include <stdexcept>

TEventLogForm* EventLogForm = nullptr;

namespace {
QColor QColorOf(TColor colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

TColor TColorOf(const QColor& colour)
{
    return RGBColour(colour.red(), colour.green(), colour.blue());
}

QTextCharFormat FormatOf(TColor colour)
{
    QTextCharFormat format;
    format.setForeground(QColorOf(colour));
    return format;
}

QByteArray RtfEscaped(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u < 0x20) {
            continue;
        } else if (u < 0x80) {
            out += char(u);
        } else {
            out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
    return out;
}

// Removing the first line merges the second into the first block, which keeps the block format of the line
// removed: the colour is read from the text itself where there is text.
QTextCharFormat LineFormat(const QTextBlock& block)
{
    const QTextBlock::iterator first = block.begin();
    return first.atEnd() ? block.charFormat() : first.fragment().charFormat();
}

void BindButton(QPushButton* button, QAction* action, QWidget* owner, void (TEventLogForm::*operation)())
{
    if (action) {
        button->setText(action->text());
        QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    } else {
        QObject::connect(button, &QPushButton::clicked, owner,
            [owner, operation] { (static_cast<TEventLogForm*>(owner)->*operation)(); });
    }
}
} // namespace

QByteArray EventLogRtf(const std::vector<EventLogLine>& lines)
{
    std::map<TColor, int> colourIndex;
    QByteArray colourTable = "{\\colortbl ;";
    for (const EventLogLine& line : lines) {
        if (colourIndex.emplace(line.colour, int(colourIndex.size()) + 1).second)
            colourTable += "\\red" + QByteArray::number(RedOf(line.colour)) + "\\green"
                + QByteArray::number(GreenOf(line.colour)) + "\\blue"
                + QByteArray::number(BlueOf(line.colour)) + ';';
    }
    colourTable += "}\n";
    QByteArray rtf
        = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\n";
    rtf += colourTable;
    rtf += "\\pard\\f0\\fs20\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            rtf += "\\par\n";
        rtf += "\\cf" + QByteArray::number(colourIndex[lines[i].colour]) + ' ' + RtfEscaped(lines[i].text);
    }
    rtf += "\n}\n";
    return rtf;
}

TEventLogForm::TEventLogForm(QAction* clearAction, QAction* saveAction, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("EventLogForm"));
    setWindowTitle(QStringLiteral("EventLog"));
    resize(410, 461);

    EventLogRichEdit = new QPlainTextEdit(this);
    EventLogRichEdit->setObjectName(QStringLiteral("EventLogRichEdit"));
    EventLogRichEdit->setReadOnly(true);
    EventLogRichEdit->setUndoRedoEnabled(false);
    EventLogRichEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    EventLogRichEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    EventLogRichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedHeight(41);
    ClearEventLogButton = new QPushButton(QStringLiteral("ClearEventLog"), panel);
    ClearEventLogButton->setObjectName(QStringLiteral("ClearEventLogButton"));
    SaveEventLogButton = new QPushButton(QStringLiteral("SaveEventLog"), panel);
    SaveEventLogButton->setObjectName(QStringLiteral("SaveEventLogButton"));
    auto* buttons = new QHBoxLayout(panel);
    buttons->addWidget(ClearEventLogButton);
    buttons->addWidget(SaveEventLogButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(EventLogRichEdit);
    layout->addWidget(panel);

    BindButton(ClearEventLogButton, clearAction, this, &TEventLogForm::ClearLog);
    BindButton(SaveEventLogButton, saveAction, this, &TEventLogForm::SaveLogAs);

    EventLogForm = this;
    SetEventLogBeeper([] { QApplication::beep(); });
    SetEventLogSink(this);
}

TEventLogForm::~TEventLogForm()
{
    SetEventLogSink(nullptr);
    StoreFormLocation(this);
    if (EventLogForm == this)
        EventLogForm = nullptr;
}

int TEventLogForm::LineCount() const
{
    return LineTotal;
}

std::vector<EventLogLine> TEventLogForm::Lines() const
{
    std::vector<EventLogLine> lines;
    if (LineCount() == 0)
        return lines;
    lines.reserve(std::size_t(LineCount()));
    for (QTextBlock block = EventLogRichEdit->document()->firstBlock(); block.isValid(); block = block.next())
        lines.push_back({block.text(), TColorOf(LineFormat(block).foreground().color())});
    return lines;
}

void TEventLogForm::AppendLine(const EventLogLine& line)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QScrollBar* scrollBar = EventLogRichEdit->verticalScrollBar();
    const bool atEnd = scrollBar->value() == scrollBar->maximum();
    for (const QString& text : line.text.split(lineBreak))
        AppendPhysicalLine(text, line.colour);
    if (atEnd)
        scrollBar->setValue(scrollBar->maximum());
    RepaintSoon();
}

// Shown at once, so lines logged during a long operation on the main thread still appear; a burst of lines is
// painted at most every RepaintInterval, the rest by the event loop.
void TEventLogForm::RepaintSoon()
{
    if (!isVisible())
        return;
    if (!LastRepaint.isValid() || LastRepaint.elapsed() >= RepaintIntervalMs) {
        EventLogRichEdit->viewport()->repaint();
        LastRepaint.start();
    } else {
        EventLogRichEdit->viewport()->update();
    }
}

// The cap is kept per physical line, so a message with line breaks cannot push the content past it.
void TEventLogForm::AppendPhysicalLine(const QString& text, TColor colour)
{
    while (LineCount() >= MaximumLines)
        DeleteFirstLine();
    const QTextCharFormat format = FormatOf(colour);
    QTextCursor cursor(EventLogRichEdit->document());
    cursor.movePosition(QTextCursor::End);
    if (LineCount() == 0)
        cursor.setBlockCharFormat(format);
    else
        cursor.insertBlock(QTextBlockFormat(), format);
    cursor.insertText(text, format);
    ++LineTotal;
}

void TEventLogForm::DeleteFirstLine()
{
    QTextCursor cursor(EventLogRichEdit->document()->firstBlock());
    if (!cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor))
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    --LineTotal;
}

void TEventLogForm::ClearLog()
{
    EventLogRichEdit->clear();
    LineTotal = 0;
}

void TEventLogForm::SaveLogAs()
{
    QFileDialog dialog(this, QStringLiteral("SaveEventLog"));
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Log Files (*.rtf)"));
    dialog.setDefaultSuffix(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveLogToFile(dialog.selectedFiles().constFirst());
}

void TEventLogForm::SaveLogToFile(const QString& fileName) const
{
    const QString target = ChangeFileExt(fileName, QStringLiteral(".rtf"));
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(EventLogRtf(Lines())) < 0 || !file.commit())
        throw std::runtime_error(
            QStringLiteral("Cannot create file \"%1\". %2").arg(target, file.errorString()).toStdString());
}

void TEventLogForm::showEvent(QShowEvent* event)
{
    if (!FirstShowDone) {
        FirstShowDone = true;
        RestoreFormLocation(this);
    }
    QWidget::showEvent(event);
}

// A user's close saves the log beside the executable and only hides the window; its content stays.
void TEventLogForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    SaveLogToFile(ProgramFile(QStringLiteral(".EventLog.rtf")));
}
