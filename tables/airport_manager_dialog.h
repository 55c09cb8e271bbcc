// tables/airport_manager_dialog.h: the Airport Manager, where the user edits the airport table.
//
// The manager keeps its own copy of "airport.cds", loaded once when the window is created.
// A row is edited as one record: the first change (or the Edit button) opens it, the changes
// wait in the editor until the row is posted (Post, moving to another row, a change of order,
// or closing the window) or dropped (Cancel). Only "Close" (or Esc) writes the file; a row
// still open then is posted first, so what the user typed is saved. Closing by the close box
// posts the row too but writes nothing: the edits stay in the copy for the next opening.
#pragma once

#include "platform/interaction.h"
#include "tables/airport_table.h"
#include "tables/airport_table_model.h"
#include "widgets/radio_group.h"

#include <QDialog>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <array>
#include <filesystem>

namespace quorvel::ui {
class AirportCellDelegate;
}

class TAManager final : public QDialog {
    Q_OBJECT
public:
    enum NavigatorButton { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel };

    // Creates the window and runs FormCreate. Throws quorvel::Error when "airport.cds" cannot be read.
    TAManager(quorvel::Prompter& prompter, std::filesystem::path programFolder, QWidget* parent = nullptr);

    void FormCreate();        // loads "airport.cds" of the program folder into the manager copy; throws quorvel::Error
    void RadioGroup1Click();  // orders the grid by the chosen field
    void Button1Click();      // saves the manager copy to "airport.cds", then closes; a failed save keeps it open

    const quorvel::tables::Table& airports() const { return airports_; }
    quorvel::ui::AirportTableModel* gridModel() const { return model_; }
    QToolButton* navigatorButton(NavigatorButton button) const { return navigator_[std::size_t(button)]; }

    QTableView* DBGrid1;
    QWidget* DBNavigator1;
    quorvel::ui::RadioGroup* RadioGroup1;
    QPushButton* Button1;

protected:
    void keyPressEvent(QKeyEvent* event) override;  // Esc presses Button1
    void reject() override;                         // the close box: posts the open row, writes nothing

private:
    void navigate(NavigatorButton button);
    void updateNavigator();
    void moveTo(int row);
    void postOpenRow();  // commits an open cell editor, then posts the row
    void dropOpenEditor();

    quorvel::Prompter& prompter_;
    std::filesystem::path programFolder_;
    quorvel::tables::Table airports_;
    quorvel::ui::AirportTableModel* model_;
    quorvel::ui::AirportCellDelegate* delegate_;
    std::array<QToolButton*, 9> navigator_{};
};
