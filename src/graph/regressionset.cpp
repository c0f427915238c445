#include "graph/regressionset.h"

#include "common/novalue.h"
#include "graph/polynomialfit.h"

CRegressionSet::CRegressionSet() {
    Reset();
    m_nSlot = 0;
    m_fTolerance = 0.02f;
}

void CRegressionSet::Reset() {
    for (int s = 0; s < kSlots; ++s) {
        for (double& coefficient : m_dCoef[s])
            coefficient = kNoValue;
        for (int k = 0; k < 2; ++k) {
            m_fPoint1[s][k] = kNoValue;
            m_fPoint2[s][k] = kNoValue;
            m_nPointXCol[s][k] = -1;
            m_nPointYCol[s][k] = -1;
            m_nPointRow[s][k] = -1;
            m_bPointFound[s][k] = 0;
        }
        m_nPicking[s] = 0;
        m_nType[s] = 0;
        m_bComputed[s] = 0;
        m_bDraw[s] = 1;
    }
}

bool CRegressionSet::FitPolynomial(const double* points, std::int16_t count, std::int16_t degree,
                                   double out[kCoefficients]) {
    return ::FitPolynomial(points, count, degree, out);
}
