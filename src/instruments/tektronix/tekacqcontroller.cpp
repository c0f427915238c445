#include "instruments/tektronix/tekacqcontroller.h"

#include "doc/zbapp.h"
#include "doc/zbdoc.h"

CTekAcqController::CTekAcqController(CZbDoc* doc, QObject* parent)
    : CTekAcqController(doc, std::make_unique<CTekLink>(doc->m_nScopePort, doc->m_pApp->m_ports),
                        parent) {}

CTekAcqController::CTekAcqController(CZbDoc* doc, std::unique_ptr<CTekLink> link, QObject* parent)
    : QObject(parent), m_acquisition(doc, link.get()), m_pLink(std::move(link)) {
    m_timer.setInterval(CTekAcquisition::kTickMs);
    m_timer.setTimerType(Qt::PreciseTimer); // the idle windows are counted in these ticks
    connect(&m_timer, &QTimer::timeout, this, &CTekAcqController::OnTick);
    m_acquisition.m_onShow = [this] { emit fieldsChanged(); };
    m_acquisition.m_onMessageBox = [this](const QString& text) { emit messageBox(text); };
    m_acquisition.m_onRedraw = [this] { emit redrawRequested(); };
    connect(m_pLink.get(), &CTextSerialLink::Lost, this, [this](const QString& reason) {
        m_acquisition.LinkLost(reason);
        FollowTimer();
    });
}

CTekAcqController::~CTekAcqController() = default;

void CTekAcqController::Open() {
    if (!m_pLink) return;
    m_acquisition.Open();
    FollowTimer();
}

void CTekAcqController::SourceClicked() {
    if (!m_pLink) return;
    m_acquisition.SourceClicked();
}

void CTekAcqController::Acquire() {
    if (!m_pLink) return;
    m_acquisition.Acquire();
    FollowTimer();
}

void CTekAcqController::CloseLink() {
    m_timer.stop();
    m_acquisition.m_pLink = nullptr;
    m_pLink.reset();
}

void CTekAcqController::Abandon() {
    if (m_pLink) m_acquisition.Abandon();
    FollowTimer();
}

void CTekAcqController::OnTick() {
    if (m_bBusy || !m_pLink) return;
    m_bBusy = true;
    m_acquisition.Tick();
    m_bBusy = false;
    FollowTimer();
}

void CTekAcqController::FollowTimer() {
    if (m_acquisition.RunningTimer() >= 0) {
        if (!m_timer.isActive()) m_timer.start();
        return;
    }
    m_timer.stop();
    emit idle();
}
