// tables/airport_manager.h: the Airport Manager, where the user edits the airport table.
//
// The manager keeps its own copy of "airport.cds", loaded once when the window is created.
// A row is edited as one record: the first change (or the Edit button) opens it, the changes
// wait in the model until the row is posted (Post, moving to another row, a change of order,
// or closing the window) or dropped (Cancel). Only "Close" (or Esc) writes the file; a row
// still open then is posted first, so what the user typed is saved. Closing by the close box
// posts the row too but writes nothing: the edits stay in the copy for the next opening.
#pragma once

#include "app/radio_group.h"
#include "platform/interaction.h"
#include "tables/airport_table.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <array>
#include <filesystem>
#include <optional>
#include <string>

// The manager's grid over its table, rows in ascending ICAO_CODE or DESCRIPTION order.
class AirportTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class State { Browse, Edit, Insert };

    // `airports` must outlive the model and change only through it (or be followed by reset()).
    explicit AirportTableModel(quorvel::tables::Table& airports, QObject* parent = nullptr);

    void reset();                                        // after the table was replaced: browse, rows in order
    void setOrder(quorvel::tables::AirportField field);  // posts an open row first; rows keep their identity
    quorvel::tables::AirportField order() const { return order_; }

    State state() const { return state_; }
    int openRow() const { return state_ == State::Browse ? -1 : openRow_; }   // -1 when browsing
    void beginEdit(int row);        // opens `row` for editing, posting another open row first
    int insertBlank(int row);       // posts, then opens a new empty row at `row`; returns its position
    void post();                    // writes the open row into the table; it moves to its place in the order
    void cancel();                  // drops the open row's changes; an inserted row goes away
    void removeRowAt(int row);      // erases the row from the table (an inserted row is just dropped)

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Cuts the text to the field's width (4 or 30 characters). Opens the row when it is not open.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void stateChanged();

private:
    static constexpr quorvel::tables::RowId newRow = ~quorvel::tables::RowId{0};  // the inserted row in view_

    void reorder();   // sorts view_ again, moving persistent indexes with their rows
    std::optional<std::string> stored(int row, int field) const;

    quorvel::tables::Table& airports_;
    quorvel::tables::View view_;   // row numbers into airports_ in grid order; newRow marks an inserted row
    quorvel::tables::AirportField order_ = quorvel::tables::AirportDescription;
    State state_ = State::Browse;
    int openRow_ = -1;
    std::array<std::optional<std::string>, 2> pending_;   // the open row's values; nothing = null
};

class AirportCellDelegate;

class TAManager final : public QDialog {
    Q_OBJECT
public:
    enum NavigatorButton { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel };

    // Creates the window and runs FormCreate. Throws quorvel::Error when "airport.cds" cannot be read.
    TAManager(quorvel::Prompter& prompter, std::filesystem::path programFolder, QWidget* parent = nullptr);

    void FormCreate();       // loads "airport.cds" of the program folder into the manager copy; throws quorvel::Error
    void RadioGroup1Click(); // orders the grid by the chosen field
    void Button1Click();     // saves the manager copy to "airport.cds", then closes; a failed save keeps it open

    const quorvel::tables::Table& airports() const { return airports_; }
    AirportTableModel* gridModel() const { return model_; }
    QToolButton* navigatorButton(NavigatorButton button) const { return navigator_[std::size_t(button)]; }

    QTableView* DBGrid1;
    QWidget* DBNavigator1;
    RadioGroup* RadioGroup1;
    QPushButton* Button1;

protected:
    void keyPressEvent(QKeyEvent* event) override;   // Esc presses Button1
    void reject() override;                          // the close box: posts the open row, writes nothing

private:
    void navigate(NavigatorButton button);
    void updateNavigator();
    void moveTo(int row);
    void postOpenRow();          // commits an open cell editor, then posts the row
    void dropOpenEditor();

    quorvel::Prompter& prompter_;
    std::filesystem::path programFolder_;
    quorvel::tables::Table airports_;
    AirportTableModel* model_;
    AirportCellDelegate* delegate_;
    std::array<QToolButton*, 9> navigator_{};
};
