#include "app/main_form.h"

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Quorvel for FS2002"));
    resize(800, 600);
}
