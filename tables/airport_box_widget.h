// tables/airport_box_widget.h: the lookup box that picks an airport by its description.
//
// The box lists the lookup copy in DESCRIPTION order and yields the chosen entry's ICAO code.
// Its text cannot be edited freely: typing searches. Each typed character extends a prefix,
// and the selection moves to the first airport, in list order, whose description begins with
// it (letter case ignored); a character that matches nothing is dropped, Backspace shortens the
// prefix. After a pause without typing the prefix starts afresh and, if the search moved the
// selection, the search settles: that is a pick, like a click in the list or Enter.
#pragma once

#include "tables/airport_table.h"

#include <QComboBox>
#include <QTimer>

namespace quorvel::ui {

class AirportListModel;

class AirportBox final : public QComboBox {
    Q_OBJECT
public:
    // `airports` must outlive the box. The box starts empty.
    explicit AirportBox(const quorvel::tables::AirportLookup& airports, QWidget* parent = nullptr);

    // Selects the first entry with `code`; an empty or unknown code empties the box. Emits no airportPicked.
    void selectCode(const QString& code);
    QString currentCode() const;  // empty when the box shows no text
    bool hasText() const;

    // Call after the lookup copy was loaded again: the list is rebuilt and the same code stays
    // selected when the new rows still hold it (else the box is empty). Emits no airportPicked.
    void reload();

    int searchPause() const { return settleTimer_.interval(); }  // milliseconds
    void setSearchPause(int milliseconds) { settleTimer_.setInterval(milliseconds); }

signals:
    void airportPicked();  // the user picked an entry: a click, Enter, or a search that settled

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool handleKey(QKeyEvent* event);  // true when the key was the search's
    bool search();                     // moves the selection to the first match of typed_; false when none
    void settle();                     // ends a search; a search that moved the selection picks
    void cancelSearch();

    const quorvel::tables::AirportLookup& airports_;
    AirportListModel* model_;
    QTimer settleTimer_;
    QString code_;              // ICAO code of the entry shown
    QString typed_;             // the prefix typed since the last pause
    bool searchMoved_ = false;  // the running search changed the selection
};

}  // namespace quorvel::ui
