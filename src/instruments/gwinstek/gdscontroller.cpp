#include "instruments/gwinstek/gdscontroller.h"

#include <QEventLoop>
#include <algorithm>

#include "doc/zbdoc.h"

CGdsAcqController::CGdsAcqController(CZbDoc* doc, QObject* parent)
    : CGdsAcqController(doc, std::make_unique<CGdsLink>(doc, doc->m_nScopePort), parent) {}

CGdsAcqController::CGdsAcqController(CZbDoc* doc, std::unique_ptr<CGdsLink> link, QObject* parent)
    : QObject(parent), m_pDoc(doc), m_pLink(std::move(link)), m_acquisition(doc, m_pLink.get()) {
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CGdsAcqController::Step);
    m_acquisition.m_onMessageBox = [this](const QString& text) { emit messageBox(text); };
    m_acquisition.m_onRedraw = [this] { emit redrawRequested(); };
    connect(m_pLink.get(), &CGdsLink::Lost, this, [this](const QString& reason) {
        m_acquisition.PortLost(reason);
        Follow();
    });
}

CGdsAcqController::~CGdsAcqController() = default;

void CGdsAcqController::Open() {
    m_acquisition.Open();
    Follow();
}

void CGdsAcqController::SetSource(std::int16_t bit, bool checked) {
    m_acquisition.SetSource(bit, checked);
    Follow();
}

void CGdsAcqController::Acquire() {
    m_acquisition.Acquire();
    Follow();
}

void CGdsAcqController::Close() {
    m_timer.stop();
    m_pLink.reset();
    m_acquisition.m_pLink = nullptr;
    emit redrawRequested();
}

void CGdsAcqController::Abandon() {
    if (m_acquisition.m_pLink) m_acquisition.Abandon();
    Follow();
}

void CGdsAcqController::RunWhile(std::initializer_list<CGdsAcquisition::State> busy) {
    auto running = [this, busy] {
        return std::find(busy.begin(), busy.end(), m_acquisition.CurrentState()) != busy.end();
    };
    QEventLoop loop;
    connect(this, &CGdsAcqController::changed, &loop, [&] {
        if (!running()) loop.quit();
    });
    if (running()) loop.exec();
}

void CGdsAcqController::Step() {
    // A message box shown from a step runs its own loop: no tick meanwhile.
    if (m_bBusy || !m_acquisition.m_pLink) return;
    m_bBusy = true;
    m_acquisition.Tick();
    m_bBusy = false;
    Follow();
}

// The timer follows the acquisition's: 10 ms ticks, or at once for timer 0.
void CGdsAcqController::Follow() {
    const CGdsAcquisition::Timer timer = m_acquisition.ActiveTimer();
    if (timer == CGdsAcquisition::kNoTimer) {
        m_timer.stop();
    } else {
        const int interval = timer == CGdsAcquisition::kTimerNextSource ? 0 : kTickMs;
        if (!m_timer.isActive() || m_timer.interval() != interval) m_timer.start(interval);
    }
    emit changed();
}
