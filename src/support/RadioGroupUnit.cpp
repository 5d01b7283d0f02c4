#include "support/RadioGroupUnit.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(QWidget* parent)
    : TRadioGroup(QString(), parent)
{
}

TRadioGroup::TRadioGroup(const QString& title, QWidget* parent)
    : QGroupBox(title, parent)
    , FGroup(new QButtonGroup(this))
    , FLayout(new QGridLayout(this))
{
    FGroup->setExclusive(true);
    connect(FGroup, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            Q_EMIT clicked();
    });
}

void TRadioGroup::setItems(const QStringList& items)
{
    for (QAbstractButton* old : FGroup->buttons()) {
        FGroup->removeButton(old);
        delete old;
    }
    FItems = items;
    for (int i = 0; i < count(); ++i) {
        auto* radio = new QRadioButton(FItems.at(i), this);
        FGroup->addButton(radio, i);
    }
    Arrange();
}

void TRadioGroup::setColumns(int columns)
{
    FColumns = qMax(1, columns);
    Arrange();
}

void TRadioGroup::Arrange()
{
    for (QAbstractButton* placed : FGroup->buttons())
        FLayout->removeWidget(placed);
    const int rows = qMax(1, (count() + FColumns - 1) / FColumns);
    for (int i = 0; i < count(); ++i)
        FLayout->addWidget(button(i), i % rows, i / rows);
}

int TRadioGroup::itemIndex() const
{
    return FGroup->checkedId();
}

void TRadioGroup::setItemIndex(int index)
{
    if (index < 0 || index >= count()) {
        const bool changed = itemIndex() != -1;
        ClearSelection();
        if (changed)
            Q_EMIT clicked();
        return;
    }
    button(index)->setChecked(true);
}

QRadioButton* TRadioGroup::button(int index) const
{
    return qobject_cast<QRadioButton*>(FGroup->button(index));
}

void TRadioGroup::ClearSelection()
{
    // An exclusive group refuses to uncheck its last checked button.
    QAbstractButton* checked = FGroup->checkedButton();
    if (!checked)
        return;
    FGroup->setExclusive(false);
    checked->setChecked(false);
    FGroup->setExclusive(true);
}
