// widgets/radio_group.h: a captioned group of radio buttons addressed by item index, as the
// windows name their choices ("Departure" = 0, "Arrival" = 1).
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>
#include <vector>

namespace quorvel::ui {

class RadioGroup final : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);

    int itemIndex() const;         // -1 when no item is selected
    void setItemIndex(int index);  // emits nothing
    QRadioButton* item(int index) const { return buttons_[std::size_t(index)]; }

signals:
    void itemClicked(int index);  // the user clicked an item

private:
    QButtonGroup group_;
    std::vector<QRadioButton*> buttons_;
};

}  // namespace quorvel::ui
