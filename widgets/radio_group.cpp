#include "widgets/radio_group.h"

#include <QGridLayout>

namespace quorvel::ui {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent)
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setVerticalSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        group_.addButton(button, i);
        buttons_.push_back(button);
        layout->addWidget(button, i / columns, i % columns);
    }
    connect(&group_, &QButtonGroup::idClicked, this, &RadioGroup::itemClicked);
}

int RadioGroup::itemIndex() const
{
    return group_.checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (index >= 0 && index < int(buttons_.size())) buttons_[std::size_t(index)]->setChecked(true);
}

}  // namespace quorvel::ui
