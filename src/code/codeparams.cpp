#include "code/codeparams.h"

#include <algorithm>

#include "doc/zbdoc.h"

float LimitCoefficient(float coefficient) {
    return std::clamp(coefficient, kMinCoefficient, kMaxCoefficient);
}

float LimitModuleWidth(float width) {
    return std::max(width, kMinModuleWidth);
}

int LimitColourComponent(int component) {
    return std::clamp(component, 0, kMaxColourComponent);
}

COLORREF ColourFromComponents(int red, int green, int blue) {
    return MakeColorRef(LimitColourComponent(red), LimitColourComponent(green),
                        LimitColourComponent(blue));
}

namespace {

int ValidRendering(int rendering) {
    return std::clamp(rendering, 0, CZbDoc::kRenderings - 1);
}

void StoreShownColours(CZbDoc* doc, int rendering, const CodeParamsFields& fields) {
    rendering = ValidRendering(rendering);
    doc->m_crBar[rendering] = ColourFromComponents(fields.nBarR, fields.nBarG, fields.nBarB);
    doc->m_crSpace[rendering] =
        ColourFromComponents(fields.nSpaceR, fields.nSpaceG, fields.nSpaceB);
}

} // namespace

void LoadRenderingColours(const CZbDoc& doc, int rendering, CodeParamsFields* fields) {
    rendering = ValidRendering(rendering);
    const COLORREF bar = doc.m_crBar[rendering];
    const COLORREF space = doc.m_crSpace[rendering];
    fields->nBarR = ColorRefRed(bar);
    fields->nBarG = ColorRefGreen(bar);
    fields->nBarB = ColorRefBlue(bar);
    fields->nSpaceR = ColorRefRed(space);
    fields->nSpaceG = ColorRefGreen(space);
    fields->nSpaceB = ColorRefBlue(space);
}

CodeParamsFields LoadCodeParams(const CZbDoc& doc, int rendering) {
    CodeParamsFields fields;
    fields.fBar = doc.m_fBar[0];
    fields.fSpace = doc.m_fSpace[0];
    fields.fCoef = doc.m_fCoef;
    LoadRenderingColours(doc, rendering, &fields);
    return fields;
}

void ApplyCodeParams(CZbDoc* doc, int shownRendering, int newRendering, CodeParamsFields* fields) {
    fields->fCoef = LimitCoefficient(fields->fCoef);
    fields->fBar = LimitModuleWidth(fields->fBar);
    fields->fSpace = LimitModuleWidth(fields->fSpace);

    doc->m_fCoef = fields->fCoef;
    doc->m_fBar[0] = fields->fBar;
    doc->m_fSpace[0] = fields->fSpace;
    // Each rendering is the previous one scaled by the coefficient.
    for (int i = 1; i < CZbDoc::kRenderings; ++i) {
        doc->m_fBar[i] = doc->m_fBar[i - 1] * doc->m_fCoef;
        doc->m_fSpace[i] = doc->m_fSpace[i - 1] * doc->m_fCoef;
    }

    StoreShownColours(doc, shownRendering, *fields);
    LoadRenderingColours(*doc, newRendering, fields);
}

void CopyFirstColours(CZbDoc* doc, int shownRendering, CodeParamsFields* fields) {
    StoreShownColours(doc, shownRendering, *fields);
    for (int i = 1; i < CZbDoc::kRenderings; ++i) {
        doc->m_crBar[i] = doc->m_crBar[0];
        doc->m_crSpace[i] = doc->m_crSpace[0];
    }
    LoadRenderingColours(*doc, shownRendering, fields);
}
