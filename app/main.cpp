#include "app/main_form.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    TMainForm mainForm;
    mainForm.show();
    return QApplication::exec();
}
