#include "decode/analysis.h"

#include <algorithm>

#include "code/code.h"
#include "common/format.h"
#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

namespace {

constexpr float kDefaultURef = 2.3f;
constexpr float kLowestURef = 0.1f;
constexpr float kHighestURef = 10.0f;
constexpr float kSmallestWidth = 0.0001f;
constexpr float kReplacementWidth = 0.00001f;
// A full code has 60 edges; fewer is announced but does not stop the steps.
constexpr std::int16_t kFullCodeEdges = 60;

// Report lines of the decoder's flags, in the order they are listed.
struct FlagLine {
    std::int16_t flag;
    const char* text;
};
constexpr FlagLine kFlagLines[] = {
    {1, "\n- Nb. de fronts insuffisant"},
    {2, "\n- Erreur d'extraction d'un chiffre gauche"},
    {16, "\n- Erreur d'extraction d'un chiffre droit"},
    {4, "\n- Erreur d'extraction code pays"},
    {8, "\n- Erreur de parité"},
};

} // namespace

CCodeAnalysis::CCodeAnalysis(CZbDoc* doc)
    : m_nChannel(DefaultChannelIndex(*doc)), m_fURef(kDefaultURef), m_pDoc(doc),
      m_pCode(std::make_unique<CCode>(doc)) {
    LookUpColumns();
    m_strMessage = Sprintf("Définir une zone puis cliquez sur Générer fronts pour décoder le "
                           "graphe U=f(t)...\n[%d][%d]",
                           m_nXCol, m_nYCol);
}

CCodeAnalysis::~CCodeAnalysis() = default;

void CCodeAnalysis::SetMessageHandler(std::function<void(const QString&)> handler) {
    m_pCode->m_fnMessage = std::move(handler);
}

bool CCodeAnalysis::IsChannelEnabled(int index) const {
    return m_step == Step::Generate && index >= 0 && index < kScanChannels &&
           (m_pDoc->m_nChannels & ChannelBitOfIndex(index));
}

float CCodeAnalysis::LimitURef(float uRef) {
    return std::clamp(uRef, kLowestURef, kHighestURef);
}

float CCodeAnalysis::LimitWidth(float width) {
    return width < kSmallestWidth ? kReplacementWidth : width;
}

void CCodeAnalysis::LookUpColumns() {
    m_pDoc->GetChannelColumns(ChannelBitOfIndex(m_nChannel), &m_nXCol, &m_nYCol);
}

void CCodeAnalysis::SelectChannel(int index) {
    m_nChannel = std::clamp(index, 0, kScanChannels - 1);
    LookUpColumns();
    m_strMessage = Sprintf("[%d][%d]", m_nXCol, m_nYCol);
}

void CCodeAnalysis::Generate() {
    if (m_step != Step::Generate) return; // once per opening
    m_step = Step::Confirm;
    m_fURef = LimitURef(m_fURef);
    LookUpColumns();

    const ChannelRange range = FindChannelRange(*m_pDoc, m_nXCol, m_nYCol);
    m_nEdges = DetectEdges(*m_pDoc, m_nXCol, m_nYCol, m_fURef, m_fEdges);
    // Without a curve of its own, an earlier one would pass for these edges.
    if (EdgeCountShowsCurve(m_nEdges))
        WriteEdgeCurve(*m_pDoc, m_nXCol, m_nYCol, m_fEdges, m_nEdges, range);
    else
        ClearEdgeCurve(*m_pDoc);

    if (m_nEdges < kFullCodeEdges)
        m_strMessage = Sprintf("Nb. de fronts: %d (Insuffisant)\nConfirmer la largeur du trait "
                               "simple T et de l'espace simple E...",
                               m_nEdges);
    else
        m_strMessage = Sprintf("Nb. de fronts: %d\nConfirmer la largeur du trait simple T et de "
                               "l'espace simple E...",
                               m_nEdges);
    m_pDoc->m_nDisplay = static_cast<std::int16_t>(ChannelBitOfIndex(m_nChannel) | kChannelEdges);

    float refBar = 0;
    float refSpace = 0;
    m_pCode->MeasureReferences(m_fEdges, m_nEdges, &refBar, &refSpace);
    m_fTWidth = refBar * m_pDoc->m_fMultX;
    m_fEWidth = refSpace * m_pDoc->m_fMultX;
}

void CCodeAnalysis::Confirm() {
    if (m_step != Step::Confirm) return;
    m_step = Step::Analyse;
    m_fTWidth = LimitWidth(m_fTWidth);
    m_fEWidth = LimitWidth(m_fEWidth);
    m_strMessage = QStringLiteral("Largeurs T et E confirmées.\nCliquer sur Analyser code...");
}

std::int16_t CCodeAnalysis::Analyse() {
    if (m_step != Step::Analyse) return 0;
    m_step = Step::Done;
    const float T = m_fTWidth / m_pDoc->m_fMultX;
    const float E = m_fEWidth / m_pDoc->m_fMultX;
    const std::int16_t flags = m_pCode->Decode(m_fEdges, m_nEdges, T, E);
    // The window takes the code's name; the file name stays the document's.
    if (flags == 0) m_pDoc->m_strTitle = m_pDoc->m_strCode + QStringLiteral(".cod");
    m_strMessage = AnalysisReport(flags, m_pDoc->m_strCode);
    return flags;
}

QString CCodeAnalysis::AnalysisReport(std::int16_t flags, const QString& code) {
    QString report;
    if (flags == 0) {
        report = Sprintf("Code barre extrait: %s", code);
    } else {
        report = QStringLiteral("Erreur(s) d'extraction du code barre:");
        for (const FlagLine& line : kFlagLines)
            if (flags & line.flag) report += QString::fromUtf8(line.text);
    }
    return report + QStringLiteral("\nCliquer sur Fermer...");
}

void CCodeAnalysis::Close(CZbApp* app) {
    if (!app) return;
    app->m_fRefX = 0;
    app->m_fRefY = 0;
}
