#include "convert/conversion_log_dialog.h"

#include "platform/error.h"
#include "widgets/guarded_handler.h"
#include "widgets/qt_text.h"

#include <QFrame>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

using namespace quorvel::ui;

TdlgCLog::TdlgCLog(quorvel::FileDialogs& fileDialogs, quorvel::Prompter& prompter, std::filesystem::path saveFolder,
                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      Bevel1(new QFrame(this)),
      MemoLog(new QPlainTextEdit(this)),
      CancelBtn(new QPushButton(QStringLiteral("Close"), this)),
      Button1(new QPushButton(QStringLiteral("Save to..."), this)),
      fileDialogs_(fileDialogs),
      prompter_(prompter),
      saveFolder_(std::move(saveFolder))
{
    setWindowTitle(QStringLiteral("Conversion Log"));
    setFixedSize(384, 179);

    Bevel1->setGeometry(8, 8, 281, 161);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    MemoLog->setGeometry(16, 16, 265, 145);
    MemoLog->setReadOnly(true);
    MemoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    CancelBtn->setGeometry(300, 10, 75, 25);
    CancelBtn->setAutoDefault(false);
    Button1->setGeometry(300, 46, 75, 25);
    Button1->setAutoDefault(false);
    connect(CancelBtn, &QPushButton::clicked, this, guarded(prompter_, [this] { CancelBtnClick(); }));
    connect(Button1, &QPushButton::clicked, this, guarded(prompter_, [this] { Button1Click(); }));
    MemoLog->setFocus();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

bool TdlgCLog::addLine(std::string_view key, std::string_view place)
{
    if (!log_.add(key, toWindows1252(fromUtf8(place)))) return false;
    MemoLog->appendPlainText(fromWindows1252(log_.lines().back()));
    return true;
}

bool TdlgCLog::addText(std::string_view text)
{
    if (!log_.addLine(toWindows1252(fromUtf8(text)))) return false;
    MemoLog->appendPlainText(fromWindows1252(log_.lines().back()));
    return true;
}

void TdlgCLog::Button1Click()
{
    const auto file = fileDialogs_.saveFile("Save Log file", saveFolder_, "Log files (*.log)", "log");
    if (!file) return;
    try {
        log_.save(*file);
    } catch (const quorvel::Error& error) {
        prompter_.message("Error", error.what());
    }
}

void TdlgCLog::CancelBtnClick()
{
    reject();
}
