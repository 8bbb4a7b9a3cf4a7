#include "platform/eventpump.h"

#include <QCoreApplication>

void HandlePendingEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
