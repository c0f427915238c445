#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "decode/edges.h"
#include "decode/scanchannel.h"

class CCode;
class CZbApp;
class CZbDoc;

// The three steps of the code analysis ("Analyse du code") without widgets:
// generate the edges of one channel against URef, confirm the module widths
// T and E, decode the edges into the document's code. The dialog copies its
// controls into the public fields, calls a step, then shows the fields and
// m_strMessage again; the batch command runs the same steps.
class CCodeAnalysis {
  public:
    enum class Step { Generate, Confirm, Analyse, Done };

    // Opening: URef 2.3, the channel shown (else the first stored) and the
    // opening message.
    explicit CCodeAnalysis(CZbDoc* doc);
    ~CCodeAnalysis();
    CCodeAnalysis(const CCodeAnalysis&) = delete;
    CCodeAnalysis& operator=(const CCodeAnalysis&) = delete;

    // Receives the message-box texts (caption "Logiciel Lineatix").
    void SetMessageHandler(std::function<void(const QString&)> handler);

    // What the dialog enables: only the controls of the next step.
    bool IsChannelEnabled(int index) const;
    bool IsURefEditable() const { return m_step == Step::Generate; }
    bool AreWidthsEditable() const { return m_step == Step::Confirm; }
    bool CanGenerate() const { return m_step == Step::Generate; }
    bool CanConfirm() const { return m_step == Step::Confirm; }
    bool CanAnalyse() const { return m_step == Step::Analyse; }

    // A radio click: index 0..4.
    void SelectChannel(int index);
    // "&Générer fronts": edges, FRONTS curve, display selection, proposed T, E.
    void Generate();
    // "&Confirmer T&&E".
    void Confirm();
    // "&Analyser code": returns the decoder's error flags (0 = code extracted).
    std::int16_t Analyse();
    // "&Fermer": the reference point goes to (0, 0).
    void Close(CZbApp* app);

    // URef is kept within 0.1 .. 10.0 V, silently.
    static float LimitURef(float uRef);
    // A width below 0.0001 becomes 0.00001, never zero.
    static float LimitWidth(float width);
    // The report of a decoding: the error list, or the extracted code.
    static QString AnalysisReport(std::int16_t flags, const QString& code);

    Step m_step = Step::Generate;
    float m_fEWidth = 0; // E, displayed time units
    int m_nChannel = -1; // 0 CH1, 1 CH2, 2 REF1, 3 REF2, 4 MATH
    QString m_strMessage;
    float m_fTWidth = 0; // T, displayed time units
    float m_fURef = 0;   // volts
    std::int16_t m_nYCol = 1;
    std::int16_t m_nXCol = 0;
    std::int16_t m_nEdges = 0;
    float m_fEdges[kMaxEdges] = {}; // data units; unused entries stay 0
    CZbDoc* m_pDoc;
    std::unique_ptr<CCode> m_pCode;

  private:
    void LookUpColumns();
};
