// print/report_form.h: the printed timetable's report, held for the whole run and never shown,
// and the print command that fills it from the board and opens the print preview.
#pragma once

#include "platform/interaction.h"
#include "print/timetable_report.h"
#include "report/report_layout.h"

#include <QObject>
#include <functional>
#include <vector>

namespace quorvel::ui {
class BoardModel;
}
class QPrinter;
class QWidget;

// Opens a preview of `printer`'s pages, drawn by `paint`, and returns when the user closes it.
using PrintPreviewer = std::function<void(QPrinter& printer, const std::function<void(QPrinter*)>& paint)>;

// The modal QPrintPreviewDialog, from which the user prints or saves a PDF.
PrintPreviewer dialogPreviewer(QWidget* parent = nullptr);

// The report layout lives in QuickRep1; the window shows nothing itself, so it is no widget.
class TReportForm final : public QObject {
    Q_OBJECT
public:
    // `waits` shows the busy cursor while the pages are laid out and drawn; it must outlive the form.
    TReportForm(PrintPreviewer previewer, quorvel::Waits& waits, QObject* parent = nullptr);

    // Lays the records out in the current layout and opens the preview on those pages; the
    // preview draws them whenever it needs them, for itself or for the printer.
    void preview(const quorvel::report::Records& records);
    const std::vector<quorvel::report::Page>& lastPages() const { return lastPages_; }

    quorvel::report::Report QuickRep1;

private:
    PrintPreviewer previewer_;
    quorvel::Waits& waits_;
    std::vector<quorvel::report::Page> lastPages_;
};

// File > "Print TimeTable": title, data fields, TO/FROM label and footer prefix from `choice`,
// the board's rows in the board's order (the query is not re-run), then the preview. With no
// flight table loaded the board is empty and the timetable prints its title, header and footer.
void printTimeTable(TReportForm& form, const quorvel::ui::BoardModel& board,
                    const quorvel::print::TimetableChoice& choice);
