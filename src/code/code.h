#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "common/colorref.h"

class QPainter;
class CPlotter;
class CZbDoc;
class CZbApp;

// Characters of an EAN-13 code: the leading digit, eleven data digits and the
// check digit. Each drawn digit is seven modules wide.
constexpr int kCodeLength = 13;
constexpr int kModulesPerDigit = 7;

// Only '0'..'9' are digits of a code; a reader may have stored anything else.
inline bool IsCodeDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The EAN-13 worker: number sets, parity table, the geometry and colours of
// one rendering, drawing of the code and decoding of edge times.
class CCode {
  public:
    // Drawing object bound to a painter (screen, print or preview).
    CCode(QPainter* painter, CZbDoc* doc, bool printing);
    // Decoding object: no painter, no drawing geometry.
    explicit CCode(CZbDoc* doc);
    ~CCode();
    CCode(const CCode&) = delete;
    CCode& operator=(const CCode&) = delete;

    void InitTables();
    void SetGeometry(float a, float b, float height);
    void SetColours(COLORREF bar, COLORREF space);
    std::int16_t CheckDigit(QString code) const;
    bool FindPattern(std::int16_t value, std::int16_t* digit, char* set) const;

    // Drawing.
    void DrawCode(float x, float y, QString code);
    void DrawGuard(char kind, float x, float y);
    void DrawDigit(int value, int position, char set, float x, float y);
    // The whole code sheet on the painter; app receives the cleared reference
    // point when printing.
    static void DrawCodeSheet(QPainter* painter, CZbDoc* doc, CZbApp* app, bool printing);

    // Decoding of edge times (seconds), up to 100 edges.
    void MeasureReferences(const float* edges, std::int16_t count, float* refBar, float* refSpace);
    std::int16_t Decode(const float* edges, std::int16_t count, float T, float E);
    std::int16_t DecodeLeftHalf(const float* edges, std::int16_t count, float T, float E);
    std::int16_t DecodeRightHalf(const float* edges, std::int16_t count, float T, float E);
    std::int16_t DecodeLeftDigit(const float* edges, std::int16_t* q, char* set, float E, float T);
    std::int16_t DecodeRightDigit(const float* edges, std::int16_t* q, float E, float T);
    std::int16_t ClassifyBar(const float* edges, std::int16_t i, float T, float* ratio);
    std::int16_t ClassifySpace(const float* edges, std::int16_t i, float E, float* ratio);

    std::int16_t m_nPattern[10][3]; // digit x set A, B, C; bit 6 is the leftmost module
    QString m_strParity[10];        // sets of the six left digits, by leading digit
    float m_fBarWidth = 0.5f;       // T, mm
    float m_fSpaceWidth = 0.5f;     // E, mm
    float m_fHalfHeight = 10.0f;    // h, mm
    float m_fDigitWidth = 3.5f;     // K, mm
    COLORREF m_crBar = 0x000000;
    COLORREF m_crSpace = 0xFFFFFF;
    std::unique_ptr<CPlotter> m_pPlotter;
    QPainter* m_pDC = nullptr;
    CZbDoc* m_pDoc = nullptr;
    std::int16_t m_bDecodeOnly = 0;

    // Receives the texts the program shows in a message box (caption
    // "Logiciel Lineatix"); the dialog shows them, the batch prints them.
    std::function<void(const QString&)> m_fnMessage;
};
