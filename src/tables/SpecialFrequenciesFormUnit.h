#pragma once
// The special frequencies window: the list of frequencies that are shown in their own colour, whose
// recordings are made read-only, on which the receiver is held, or for which live audio is switched on.
// Created hidden at start-up; closing only hides it.
//
// Also the grid pieces both table windows share: the cell delegate and the grid's row commands.

#include "tables/CsvExchangeUnit.h"
#include "tables/SpecialFrequenciesAttributesFormUnit.h"

#include <QStyledItemDelegate>
#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class QTableView;
class TDataModule1;
class TLookupTableModel;
class TSpecialFrequenciesTableModel;

// The table windows' grid cells: a window's drawing for the columns it draws, an ellipsis button in the one
// column that is chosen from a list or dialog instead of typed, and frequencies typed as "118.1 MHz" or in
// hertz.
class TLookupGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // True when the window has drawn the cell's content.
    using TDrawCell = std::function<bool(QPainter*, const QStyleOptionViewItem&, const QModelIndex&)>;
    // The ellipsis of the current cell was used; globalPosition is where the pointer was (or the cell).
    using TEllipsisClick = std::function<void(const QPoint& globalPosition)>;

    TLookupGridDelegate(QTableView* grid, TLookupTableModel* model, TDrawCell draw, QString ellipsisField,
        TEllipsisClick ellipsis);

    void paint(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(
        QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

private:
    bool IsEllipsisCell(const QModelIndex& index) const;
    bool IsFrequencyCell(const QModelIndex& index) const;
    static QRect EllipsisRect(const QRect& cell);

    QTableView* Grid;
    TLookupTableModel* Model;
    TDrawCell Draw;
    QString EllipsisField;
    TEllipsisClick Ellipsis;
};

// The grid commands of both windows: adding a row (Insert), deleting the selected rows after a
// confirmation (Ctrl+Delete), each row saved when the user leaves it, the titles ordering the view, refused
// rows reported in a message box.
void SetUpLookupGrid(QTableView* grid, TLookupTableModel* model, const QString& logName);
// The rows with a selected cell, in the order the view holds them.
QList<int> SelectedGridRows(const QTableView* grid);
// The grid's model read again, the current cell kept where it was.
void ReopenKeepingPlace(QTableView* grid, TLookupTableModel* model);

class TSpecialFrequenciesForm : public QWidget {
    Q_OBJECT
public:
    // Without a data module the program's one (DataModule1) is used.
    explicit TSpecialFrequenciesForm(TDataModule1* dataModule = nullptr, QWidget* parent = nullptr);
    ~TSpecialFrequenciesForm() override;

    TSpecialFrequenciesTableModel* Model() const { return FModel; }
    // Reads the view again after another window wrote to the table.
    void Refresh();

    // The colour dialog: it opens with the colour last picked in it.
    TColourPicker PickColour = PickColourWithDialog;
    TColor LastPickedColour = clGray;

    // ---- controls and commands (object names as here)
    QTableView* SpecialFrequenciesQuery_DBGrid = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel* LongCommentPanel = nullptr;
    QAction* ImportCsvAction = nullptr;
    QAction* ExportCsvAction = nullptr;

    // ---- CSV exchange; both report the outcome in a message box
    void ImportCsv(const QString& path);
    void ExportCsv(const QString& path);

    // The cell drawing of the grid: colours filled, frequencies formatted.
    bool SpecialFrequenciesQuery_DBGridDrawColumnCell(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);

public Q_SLOTS:
    // The colour column's ellipsis: picks a colour for the current row and saves the row at once.
    void SpecialFrequenciesQuery_DBGridEditButtonClick();
    void SpecialFrequenciesQuery_DBGridTitleClick(int column);
    // The long comment panel follows the current cell: a frequency cell shows its lookup comment.
    void SpecialFrequenciesQuery_DBGridCellClick(const QModelIndex& current);
    void ImportCsvActionExecute();
    void ExportCsvActionExecute();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();

    TDataModule1* DataModule;
    TSpecialFrequenciesTableModel* FModel = nullptr;
    bool FirstShowDone = false;
};

// The window while it exists.
extern TSpecialFrequenciesForm* SpecialFrequenciesForm;

// The CSV file dialogs of the table windows: an empty text when the user cancels. Tests put their own in its
// place.
extern std::function<QString(QWidget* parent, bool save, const QString& title)> ChooseCsvFile;
// The outcome of an import or export, shown over window (and logged).
void ReportCsvImport(QWidget* window, const QString& what, const QString& path,
    const std::function<TCsvImportResult()>& import);
void ReportCsvExport(
    QWidget* window, const QString& what, const QString& path, const std::function<QByteArray()>& text);
