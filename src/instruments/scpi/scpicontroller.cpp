#include "instruments/scpi/scpicontroller.h"

#include <QEventLoop>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/serial/portnames.h"

namespace {

std::unique_ptr<CScpiLink> LinkOn(CZbDoc* doc) {
    if (doc->m_pApp) return std::make_unique<CScpiLink>(doc->m_nScopePort, doc->m_pApp->m_ports);
    return std::make_unique<CScpiLink>(doc->m_nScopePort,
                                       CPortNames::DefaultPath(doc->m_nScopePort));
}

} // namespace

CScpiAcqController::CScpiAcqController(CZbDoc* doc, QObject* parent)
    : CScpiAcqController(doc, LinkOn(doc), parent) {}

CScpiAcqController::CScpiAcqController(CZbDoc* doc, std::unique_ptr<CScpiLink> link,
                                       QObject* parent)
    : QObject(parent), m_pDoc(doc), m_pLink(std::move(link)), m_acquisition(doc) {
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_acquisition.Tick();
        Follow();
    });
    m_acquisition.m_send = [this](const QByteArray& command) {
        return m_pLink && m_pLink->Send(command);
    };
    m_acquisition.m_onRedraw = [this] { emit redrawRequested(); };
    connect(m_pLink.get(), &CScpiLink::Received, this, [this](const QByteArray& bytes) {
        m_acquisition.Receive(bytes);
        Follow();
    });
    connect(m_pLink.get(), &CScpiLink::Lost, this, [this](const QString& reason) {
        m_acquisition.LinkLost(reason);
        Follow();
    });
}

CScpiAcqController::~CScpiAcqController() = default;

void CScpiAcqController::Open() {
    if (!m_pLink->IsOpen()) {
        m_acquisition.m_send = nullptr;
        m_acquisition.Open(); // its write fails: the boxes stay disabled
        m_acquisition.m_strMessage = QStringLiteral("Erreur de connexion au port COM%1 !\n%2")
                                         .arg(m_pLink->PortIndex() + 1)
                                         .arg(m_pLink->Failure());
    } else {
        m_acquisition.Open();
    }
    Follow();
}

void CScpiAcqController::SetChannel(int channel, bool checked) {
    m_acquisition.SetChannel(channel, checked);
    Follow();
}

void CScpiAcqController::Acquire() {
    m_acquisition.Acquire();
    Follow();
}

void CScpiAcqController::Close() {
    m_timer.stop();
    m_acquisition.m_send = nullptr;
    m_pLink.reset();
    emit redrawRequested();
}

void CScpiAcqController::Abandon() {
    m_acquisition.Abandon();
    Follow();
}

void CScpiAcqController::RunWhileWaiting() {
    if (!m_acquisition.Waiting()) return;
    QEventLoop loop;
    connect(this, &CScpiAcqController::changed, &loop, [&] {
        if (!m_acquisition.Waiting()) loop.quit();
    });
    loop.exec();
}

// Ticks while a reply is awaited, none otherwise.
void CScpiAcqController::Follow() {
    if (!m_acquisition.Waiting())
        m_timer.stop();
    else if (!m_timer.isActive())
        m_timer.start(CScpiAcquisition::kTickMs);
    emit changed();
}
