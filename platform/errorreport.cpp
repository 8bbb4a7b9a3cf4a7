#include "platform/errorreport.h"

#include <QMessageBox>
#include <QString>

std::string ErrorReportText(const std::string &message)
{
    if (!message.empty()
        && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void ShowErrorReport(const std::string &message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Mandelbrotmenge"),
                    QString::fromStdString(ErrorReportText(message)), QMessageBox::Ok);
    box.exec();
}
