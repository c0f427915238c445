#pragma once

class QWidget;
class CGdsLink;
class CSerialCaptureDlg;

// Shows the capture monitor window of a link, next to `owner`: it follows the
// monitor and is destroyed with the link.
CSerialCaptureDlg* ShowCaptureMonitor(CGdsLink* link, QWidget* owner);
