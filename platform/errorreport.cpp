#include "platform/errorreport.h"

#include <QMessageBox>
#include <QString>

std::string errorReportText(const std::string &message)
{
    if (!message.empty()
        && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void showErrorReport(const std::string &message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Mandelbrotmenge"),
                    QString::fromStdString(errorReportText(message)), QMessageBox::Ok);
    box.exec();
}
