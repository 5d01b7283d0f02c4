#pragma once
// A group box holding one exclusive column (or more) of radio buttons, chosen by index.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex)

public:
    explicit TRadioGroup(QWidget* parent = nullptr);
    explicit TRadioGroup(const QString& title, QWidget* parent = nullptr);

    // Replaces the buttons; nothing is selected afterwards.
    void setItems(const QStringList& items);
    QStringList items() const { return FItems; }
    int count() const { return int(FItems.size()); }

    // Buttons are laid out top to bottom, then in further columns.
    void setColumns(int columns);
    int columns() const { return FColumns; }

    // -1 when nothing is selected.
    int itemIndex() const;
    // An index outside the items selects nothing. Emits clicked() when the selection changes.
    void setItemIndex(int index);

    QButtonGroup* buttonGroup() const { return FGroup; }
    QRadioButton* button(int index) const;

Q_SIGNALS:
    // The selection changed, by the user or by setItemIndex.
    void clicked();

private:
    void Arrange();
    void ClearSelection();

    QStringList FItems;
    int FColumns = 1;
    QButtonGroup* FGroup;
    QGridLayout* FLayout;
};
