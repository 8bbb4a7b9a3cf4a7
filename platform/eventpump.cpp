#include "platform/eventpump.h"

#include <QCoreApplication>

void handlePendingEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
