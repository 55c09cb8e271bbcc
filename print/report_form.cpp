#include "print/report_form.h"

#include "board/board_model.h"
#include "report/report_painter.h"
#include "widgets/qt_text.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

using namespace quorvel;
using namespace quorvel::ui;

PrintPreviewer dialogPreviewer(QWidget* parent)
{
    return [parent](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
        QPrintPreviewDialog dialog(&printer, parent);
        dialog.resize(820, 900);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
        if (auto* view = dialog.findChild<QPrintPreviewWidget*>()) view->fitToWidth();
        dialog.exec();
    };
}

TReportForm::TReportForm(PrintPreviewer previewer, quorvel::Waits& waits, QObject* parent)
    : QObject(parent), QuickRep1(print::timetableReport()), previewer_(std::move(previewer)), waits_(waits)
{
}

void TReportForm::preview(const report::Records& records)
{
    {
        const quorvel::BusyWait busy(waits_);
        lastPages_ = report::layOut(QuickRep1, records);
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(1);
    printer.setDocName(fromWindows1252(QuickRep1.title));
    previewer_(printer, [this](QPrinter* target) { ui::printPages(*target, lastPages_, waits_); });
}

void printTimeTable(TReportForm& form, const BoardModel& board, const print::TimetableChoice& choice)
{
    print::applyTimetable(form.QuickRep1, print::timetableSettings(choice));
    const tables::Table* flights = board.flights();
    report::Records records;
    if (flights) {
        records.count = std::size_t(board.rowCount());
        const int timeColumn = form.QuickRep1.field("QRTime").column;
        records.text = [flights, &board, timeColumn](std::size_t record, int column) {
            // In another time than the computer's the time is the board's, with its day when off the date.
            const QString shown = board.shownTime(int(record));
            if (column == timeColumn && !shown.isEmpty()) return toWindows1252(shown);
            return std::string(flights->text(board.rowId(int(record)), column));
        };
    }
    form.preview(records);
}
