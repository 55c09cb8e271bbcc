#include "tables/airport_box_widget.h"

#include "tables/airport_list_model.h"
#include "widgets/qt_text.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace quorvel::ui {

namespace {

constexpr int defaultSearchPause = 700;  // ms; long enough to type a city, short enough to feel settled

bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace

AirportBox::AirportBox(const quorvel::tables::AirportLookup& airports, QWidget* parent)
    : QComboBox(parent), airports_(airports), model_(new AirportListModel(airports, this))
{
    // The box is as wide as the room it is given: a fixed place on the main window, a whole row of
    // the options. Working its size out from its entries would measure all the world's airport
    // names each time a window with the box is made, most of a start-up. Squeezed, it keeps room
    // for a dozen letters.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setIconSize(QSize(0, 0));  // the entries have no pictures
    setMinimumContentsLength(12);
    setModel(model_);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // The text is never edited: keys search the list, so only list entries can be chosen.
    setCompleter(nullptr);
    lineEdit()->setReadOnly(true);
    lineEdit()->installEventFilter(this);
    setCurrentIndex(-1);

    settleTimer_.setSingleShot(true);
    settleTimer_.setInterval(defaultSearchPause);
    connect(&settleTimer_, &QTimer::timeout, this, &AirportBox::settle);
    // The code is kept apart from the list, so reload() still knows it after the lookup copy changed.
    connect(this, &QComboBox::currentIndexChanged, this,
            [this](int index) { code_ = index >= 0 ? itemData(index, Qt::UserRole).toString() : QString(); });
    connect(this, &QComboBox::activated, this, [this] {
        cancelSearch();
        emit airportPicked();
    });
}

void AirportBox::selectCode(const QString& code)
{
    cancelSearch();
    const auto index = code.isEmpty() ? std::nullopt : airports_.indexOfCode(toWindows1252(code));
    setCurrentIndex(index ? int(*index) : -1);
}

QString AirportBox::currentCode() const
{
    return hasText() ? code_ : QString();
}

bool AirportBox::hasText() const
{
    return currentIndex() >= 0 && !currentText().isEmpty();
}

void AirportBox::reload()
{
    const QString code = currentCode();
    cancelSearch();
    model_->reload();
    selectCode(code);
}

bool AirportBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit()) {
        if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent*>(event))) return true;
        // Leaving the box ends a search at once; opening the list does not.
        if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason &&
            settleTimer_.isActive()) {
            settleTimer_.stop();
            settle();
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void AirportBox::keyPressEvent(QKeyEvent* event)
{
    if (handleKey(event)) return;
    const bool enter = isEnter(event);
    if (enter) {
        cancelSearch();
        if (hasText()) emit airportPicked();
    }
    QComboBox::keyPressEvent(event);
    // Enter and Esc go on to the window, whose default and cancel buttons answer them.
    if (enter || event->key() == Qt::Key_Escape) event->ignore();
}

bool AirportBox::handleKey(QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    if (event->key() == Qt::Key_Backspace) {
        if (!typed_.isEmpty()) {
            typed_.chop(1);
            if (typed_.isEmpty())
                lineEdit()->deselect();
            else
                search();
            settleTimer_.start();
        }
        return true;
    }
    if (event->key() == Qt::Key_Delete) return true;
    const QString text = event->text();
    if (text.isEmpty() || !text.front().isPrint()) return false;
    typed_ += text;
    if (!search()) typed_.chop(text.size());  // nothing begins so: the key is dropped
    settleTimer_.start();
    return true;
}

bool AirportBox::search()
{
    const auto found = airports_.findPrefix(toWindows1252(typed_));
    if (!found) return false;
    if (int(*found) != currentIndex()) {
        setCurrentIndex(int(*found));
        searchMoved_ = true;
    }
    // The typed part stays plain and the rest of the description is highlighted.
    const int typedLength = int(typed_.size());
    lineEdit()->setSelection(int(lineEdit()->text().size()), typedLength - int(lineEdit()->text().size()));
    return true;
}

void AirportBox::settle()
{
    const bool picked = searchMoved_;
    typed_.clear();
    searchMoved_ = false;
    if (picked && hasText()) emit airportPicked();
}

void AirportBox::cancelSearch()
{
    settleTimer_.stop();
    typed_.clear();
    searchMoved_ = false;
}

}  // namespace quorvel::ui
