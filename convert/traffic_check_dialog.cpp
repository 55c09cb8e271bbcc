#include "convert/traffic_check_dialog.h"

#include "convert/traffic_check_model.h"
#include "convert/traffic_check_report.h"
#include "platform/atomic_file.h"
#include "widgets/guarded_handler.h"
#include "widgets/qt_text.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

namespace quorvel::ui {

using quorvel::convert::CheckResult;
using quorvel::convert::Problem;
using quorvel::convert::ProblemKind;
using quorvel::convert::Severity;

namespace {

constexpr int momentMs = 250;  // a check that ends sooner shows no progress bar

QLabel* caption(const char* text, QWidget* parent)
{
    return new QLabel(QString::fromLatin1(text), parent);
}

}  // namespace

TrafficCheckDialog::TrafficCheckDialog(quorvel::convert::CheckInputs inputs, quorvel::Prompter& prompter,
                                       quorvel::FileDialogs& fileDialogs, std::filesystem::path exportFolder,
                                       bool canConvert, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      summaryLabel(new QLabel(this)),
      progressBar(new QProgressBar(this)),
      severityBox(new QComboBox(this)),
      kindBox(new QComboBox(this)),
      fileBox(new QComboBox(this)),
      problemView(new QTableView(this)),
      placeLabel(new QLabel(this)),
      lineView(new QTextEdit(this)),
      exportCsvButton(new QPushButton(QStringLiteral("Export CSV..."), this)),
      exportHtmlButton(new QPushButton(QStringLiteral("Export HTML..."), this)),
      convertButton(new QPushButton(QStringLiteral("Convert"), this)),
      skipButton(new QPushButton(this)),
      closeButton(new QPushButton(QStringLiteral("Close"), this)),
      model(new TrafficCheckModel(this)),
      filter(new TrafficCheckFilter(this)),
      inputs_(std::move(inputs)),
      prompter_(prompter),
      fileDialogs_(fileDialogs),
      exportFolder_(std::move(exportFolder)),
      canConvert_(canConvert),
      pollTimer_(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Check FlightPlans"));
    summaryLabel->setTextFormat(Qt::PlainText);
    summaryLabel->setText(QStringLiteral("Checking %1...").arg(fromUtf8(inputs_.flightPlanFile.filename().string())));
    progressBar->setVisible(false);
    progressBar->setRange(0, 100);

    filter->setSourceModel(model);
    problemView->setModel(filter);
    problemView->setSortingEnabled(true);
    problemView->sortByColumn(-1, Qt::AscendingOrder);  // the check's order until the user sorts
    problemView->setSelectionBehavior(QAbstractItemView::SelectRows);
    problemView->setSelectionMode(QAbstractItemView::SingleSelection);
    problemView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    problemView->setWordWrap(false);
    problemView->verticalHeader()->setVisible(false);
    problemView->verticalHeader()->setDefaultSectionSize(problemView->fontMetrics().height() + 6);
    problemView->horizontalHeader()->setStretchLastSection(true);
    const std::pair<int, const char*> widths[] = {
        {TrafficCheckModel::SeverityColumn, "warning__"},
        {TrafficCheckModel::KindColumn, "aircraft number too long__"},
        {TrafficCheckModel::FileColumn, "flightplans.txt__"},
        {TrafficCheckModel::LineColumn, "1000000__"},
        {TrafficCheckModel::FieldColumn, "Field__"},
        {TrafficCheckModel::TextColumn, "TNG2/09:45:59__"},
        {TrafficCheckModel::DetailColumn, "not in the aircraft list; the legs get the airline"}};
    // Wide enough for the sample and for the column's title with its sort arrow.
    for (const auto& [column, sample] : widths)
        problemView->setColumnWidth(column,
                                    std::max(problemView->fontMetrics().horizontalAdvance(QString::fromLatin1(sample)),
                                             problemView->horizontalHeader()->sectionSizeHint(column) + 16));

    placeLabel->setTextFormat(Qt::PlainText);
    placeLabel->setWordWrap(true);
    placeLabel->setText(QStringLiteral("Double-click a problem to see its whole line."));
    lineView->setReadOnly(true);
    lineView->setLineWrapMode(QTextEdit::NoWrap);
    lineView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lineView->setFixedHeight(lineView->fontMetrics().height() * 2 + 16);

    for (QComboBox* box : {severityBox, kindBox, fileBox}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->setEnabled(false);
    }
    for (QPushButton* button : {exportCsvButton, exportHtmlButton, convertButton, skipButton, closeButton})
        button->setAutoDefault(false);
    for (QPushButton* button : {exportCsvButton, exportHtmlButton, convertButton}) button->setEnabled(false);
    skipButton->setVisible(false);

    auto* filters = new QHBoxLayout;
    filters->addWidget(caption("Severity:", this));
    filters->addWidget(severityBox);
    filters->addSpacing(12);
    filters->addWidget(caption("Kind:", this));
    filters->addWidget(kindBox);
    filters->addSpacing(12);
    filters->addWidget(caption("File:", this));
    filters->addWidget(fileBox);
    filters->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportCsvButton);
    buttons->addWidget(exportHtmlButton);
    buttons->addStretch();
    buttons->addWidget(convertButton);
    buttons->addWidget(skipButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summaryLabel);
    layout->addWidget(progressBar);
    layout->addLayout(filters);
    layout->addWidget(problemView, 1);
    layout->addWidget(placeLabel);
    layout->addWidget(lineView);
    layout->addLayout(buttons);
    resize(1100, 640);

    const auto on = [this](auto handler) { return guarded(prompter_, handler); };
    connect(problemView, &QTableView::doubleClicked, this, on([this](const QModelIndex& index) { showLine(index); }));
    connect(exportCsvButton, &QPushButton::clicked, this, on([this] { exportCsv(); }));
    connect(exportHtmlButton, &QPushButton::clicked, this, on([this] { exportHtml(); }));
    connect(convertButton, &QPushButton::clicked, this, on([this] { convertClick(); }));
    connect(skipButton, &QPushButton::clicked, this, on([this] { convertSkippingClick(); }));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    for (QComboBox* box : {severityBox, kindBox, fileBox})
        connect(box, &QComboBox::currentIndexChanged, this, on([this] { applyFilters(); }));
    connect(pollTimer_, &QTimer::timeout, this, on([this] { poll(); }));
    QTimer::singleShot(momentMs, this, [this] {
        if (checking()) progressBar->setVisible(true);
    });

    worker_ = std::jthread([this] {
        try {
            checked_ = quorvel::convert::checkTraffic(inputs_, [this](std::size_t done, std::size_t total) {
                total_ = total;
                done_ = done;
                return !cancel_;
            });
        } catch (const std::exception& error) {
            failure_ = error.what();
        }
        ended_ = true;
    });
    pollTimer_->start(50);
}

TrafficCheckDialog::~TrafficCheckDialog()
{
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

void TrafficCheckDialog::waitForCheck()
{
    if (!checking()) return;
    if (worker_.joinable()) worker_.join();
    showResult();
}

void TrafficCheckDialog::poll()
{
    if (!ended_) {
        const std::size_t total = total_;
        if (total > 0) progressBar->setValue(int(100.0 * double(done_) / double(total)));
        return;
    }
    waitForCheck();
}

void TrafficCheckDialog::showResult()
{
    pollTimer_->stop();
    progressBar->setVisible(false);
    if (!checked_) {
        error_ = failure_.empty() ? std::string("The check ended in an unknown error") : failure_;
        summaryLabel->setText(fromUtf8(error_));
        prompter_.message("Error", error_);
        return;
    }
    result_ = std::move(checked_);
    checked_.reset();

    QStringList lines;
    for (const std::string& line : quorvel::convert::checkSummaryLines(*result_))
        if (!line.starts_with(" ")) lines << fromUtf8(line);  // the counts per kind are in the kind filter
    summaryLabel->setText(lines.join('\n'));

    model->showProblems(&result_->problems);
    // The short columns as wide as what they hold (Qt measures the first thousand rows at most).
    for (const int column : {TrafficCheckModel::SeverityColumn, TrafficCheckModel::KindColumn,
                             TrafficCheckModel::FileColumn, TrafficCheckModel::LineColumn}) {
        const int designed = problemView->columnWidth(column);
        problemView->resizeColumnToContents(column);
        problemView->setColumnWidth(column, std::max(designed, problemView->columnWidth(column)));
    }
    fillFilters();
    exportCsvButton->setEnabled(true);
    exportHtmlButton->setEnabled(true);
    convertButton->setEnabled(canConvert_);
    const std::size_t badLines = result_->summary.badLines;
    skipButton->setVisible(badLines > 0);
    skipButton->setEnabled(canConvert_);
    skipButton->setText(badLines == 1 ? QStringLiteral("Convert, skipping the 1 line with errors")
                                      : QStringLiteral("Convert, skipping the %1 lines with errors").arg(badLines));
}

void TrafficCheckDialog::fillFilters()
{
    const auto& summary = result_->summary;
    for (QComboBox* box : {severityBox, kindBox, fileBox}) {
        const QSignalBlocker quiet(box);
        box->clear();
        box->setEnabled(true);
    }
    {
        const QSignalBlocker quiet(severityBox);
        severityBox->addItem(QStringLiteral("All"));
        for (const auto& [severity, n] : summary.perSeverity)
            severityBox->addItem(
                QStringLiteral("%1 (%2)").arg(fromUtf8(quorvel::convert::severityName(severity))).arg(n),
                int(severity));
    }
    {
        const QSignalBlocker quiet(kindBox);
        kindBox->addItem(QStringLiteral("All"));
        for (const auto& [kind, n] : summary.perKind)
            kindBox->addItem(QStringLiteral("%1 (%2)").arg(fromUtf8(quorvel::convert::kindTitle(kind))).arg(n),
                             int(kind));
    }
    {
        const QSignalBlocker quiet(fileBox);
        fileBox->addItem(QStringLiteral("All"));
        std::set<std::string> files;
        for (const Problem& p : result_->problems) files.insert(p.file);
        for (const std::string& file : files) fileBox->addItem(fromUtf8(file), fromUtf8(file));
    }
}

void TrafficCheckDialog::applyFilters()
{
    const QVariant severity = severityBox->currentData();
    const QVariant kind = kindBox->currentData();
    const QVariant file = fileBox->currentData();
    filter->setSeverity(severity.isValid() ? std::optional(Severity(severity.toInt())) : std::nullopt);
    filter->setKind(kind.isValid() ? std::optional(ProblemKind(kind.toInt())) : std::nullopt);
    filter->setFile(file.isValid() ? std::optional(file.toString().toStdString()) : std::nullopt);
}

void TrafficCheckDialog::showLine(const QModelIndex& index)
{
    if (!index.isValid()) return;
    const Problem& p = model->problem(filter->mapToSource(index).row());
    placeLabel->setText(fromUtf8(quorvel::convert::problemPlace(p) + ": " + p.detail));
    lineView->setPlainText(fromUtf8(p.lineText));
    const auto span = quorvel::convert::fieldSpan(p.lineText, p.field);
    if (!span) return;
    // Positions in the text are counted in characters, the span in UTF-8 bytes.
    const int start = int(fromUtf8(std::string_view(p.lineText).substr(0, span->first)).size());
    const int length = int(fromUtf8(std::string_view(p.lineText).substr(span->first, span->second)).size());
    QTextCursor cursor(lineView->document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    QTextCharFormat marked;
    marked.setBackground(QColor(0xff, 0x99, 0x99));
    marked.setFontWeight(QFont::Bold);
    marked.setFontUnderline(true);
    cursor.mergeCharFormat(marked);
    // The field in view, even at the end of a long line.
    QTextCursor at(lineView->document());
    at.setPosition(start + length);
    lineView->setTextCursor(at);
    lineView->ensureCursorVisible();
    at.setPosition(start);
    lineView->setTextCursor(at);
    lineView->ensureCursorVisible();
}

void TrafficCheckDialog::exportAs(const char* fileFilter, const char* suffix, const std::string& bytes)
{
    const auto file = fileDialogs_.saveFile("Export the check", exportFolder_, fileFilter, suffix);
    if (!file) return;
    try {
        quorvel::platform::writeFileAtomically(*file, bytes);
    } catch (const std::exception& error) {
        prompter_.message("Error", error.what());
    }
}

void TrafficCheckDialog::exportCsv()
{
    if (!result_) return;
    exportAs("CSV files (*.csv)", "csv", quorvel::convert::checkCsvReport(*result_));
}

std::string TrafficCheckDialog::htmlPage() const
{
    if (!result_) return {};
    return quorvel::convert::checkHtmlReport(
        *result_, {inputs_.flightPlanFile.filename().string(), inputs_.aircraftListFile.filename().string()});
}

void TrafficCheckDialog::exportHtml()
{
    if (!result_) return;
    exportAs("Web pages (*.html)", "html", htmlPage());
}

void TrafficCheckDialog::convertClick()
{
    choice_ = CheckChoice::Convert;
    accept();
}

void TrafficCheckDialog::convertSkippingClick()
{
    choice_ = CheckChoice::ConvertSkippingBadLines;
    accept();
}

}  // namespace quorvel::ui
