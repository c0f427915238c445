#pragma once

#include "common/colorref.h"

class CZbDoc;

// What the parameters dialog shows: the module widths of rendering 1, the
// scale coefficient and the colours of one rendering as components.
struct CodeParamsFields {
    float fBar = 0;   // mm
    float fSpace = 0; // mm
    float fCoef = 1;
    int nBarR = 0, nBarG = 0, nBarB = 0;
    int nSpaceR = 0, nSpaceG = 0, nSpaceB = 0;
};

// Limits of the entries, applied silently.
constexpr float kMinCoefficient = 1.0f;
constexpr float kMaxCoefficient = 1.2f;
constexpr float kMinModuleWidth = 0.2f; // mm; no upper limit
constexpr int kMaxColourComponent = 255;

float LimitCoefficient(float coefficient);
float LimitModuleWidth(float width);
int LimitColourComponent(int component);

// The colour word of three components, each first limited to 0..255 so that
// an excess never spills into the next component.
COLORREF ColourFromComponents(int red, int green, int blue);

// The fields as the dialog opens on the given rendering (0..7).
CodeParamsFields LoadCodeParams(const CZbDoc& doc, int rendering);

// Puts a rendering's colours into the fields.
void LoadRenderingColours(const CZbDoc& doc, int rendering, CodeParamsFields* fields);

// Stores the fields: limits the coefficient and widths (and shows the limited
// values in the fields), derives renderings 2 to 8 from rendering 1 by the
// coefficient, stores the colours shown into shownRendering, then loads the
// colours of newRendering into the fields.
void ApplyCodeParams(CZbDoc* doc, int shownRendering, int newRendering, CodeParamsFields* fields);

// "Same colours as 1": the colours shown are first stored into the rendering
// they belong to, rendering 1's colours are copied to the seven others, and
// the fields show the result, so that a later apply keeps it.
void CopyFirstColours(CZbDoc* doc, int shownRendering, CodeParamsFields* fields);
