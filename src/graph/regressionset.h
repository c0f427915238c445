#pragma once

#include <cstdint>

// State of the three regression slots, owned and saved by the document.
class CRegressionSet {
  public:
    static constexpr int kSlots = 3;
    static constexpr int kCoefficients = 8; // a0 .. a7

    CRegressionSet();

    // Every slot back to "nothing chosen, nothing computed, drawn".
    // m_nSlot and m_fTolerance keep their values.
    void Reset();

    // Least squares of count (x, y) pairs (points[2 i], points[2 i + 1]) by a
    // polynomial of the given degree (1 to 7), a0..a7 into out; false when the
    // points cannot determine it (see polynomialfit.h).
    static bool FitPolynomial(const double* points, std::int16_t count, std::int16_t degree,
                              double out[kCoefficients]);

    double m_dCoef[kSlots][kCoefficients]; // a0..a7 in data units; 1e10 = unknown
    float m_fPoint1[kSlots][2];            // x, y of the first chosen point
    float m_fPoint2[kSlots][2];            // x, y of the second chosen point
    std::int32_t m_nSlot;                  // slot the dialog works on
    std::int32_t m_nPointXCol[kSlots][2];  // per point, column of x; -1 = none
    std::int32_t m_nPointYCol[kSlots][2];  // per point, column of y
    std::int32_t m_nPointRow[kSlots][2];   // per point, row
    std::int32_t m_nType[kSlots];          // 0 = line; k = polynomial of degree k + 1
    std::int32_t m_nPicking[kSlots];       // 0 none, 1 or 2: the next click picks that point
    std::int32_t m_bPointFound[kSlots][2];
    std::int32_t m_bComputed[kSlots];
    std::int32_t m_bDraw[kSlots];
    float m_fTolerance; // picking radius in shown units, never below 0.01
};
