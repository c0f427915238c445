#include "instruments/gwinstek/ui/gdsmonitor.h"

#include "instruments/gwinstek/gdslink.h"
#include "instruments/serial/ui/capturedlg.h"

CSerialCaptureDlg* ShowCaptureMonitor(CGdsLink* link, QWidget* owner) {
    if (!link) return nullptr;
    auto* window = new CSerialCaptureDlg(&link->Monitor(), owner);
    QObject::connect(link, &CGdsLink::monitorChanged, window, &CSerialCaptureDlg::Refresh);
    QObject::connect(link, &CGdsLink::closing, window, [window] { delete window; });
    window->show();
    return window;
}
