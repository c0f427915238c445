#pragma once

#include <QString>

#include "common/novalue.h"

class CZbApp;
class CZbDoc;

// What the zoom dialog "Zoom sur une zone du graphe visualisé" does, without
// widgets: opening shows the whole data again, each rectangle the user draws
// is kept in shown units, "&OK" makes it the document's zoom window.
class CZoomSelection {
  public:
    // Opening: the whole data again and no cursor point. Redraw afterwards.
    void Start(CZbDoc* doc, CZbApp* app);
    // The rectangle drawn on the graph, corners in shown units, in any order.
    void SetRectangle(float x1, float y1, float x2, float y2);
    // "&OK": the rectangle turned back into data units with the multipliers
    // in force becomes the zoom window; without a rectangle the window stays
    // reset. Both "&OK" and "&Annuler zoom" end with Close.
    void Accept();
    void Close();
    bool HasRectangle() const { return !IsNoValue(m_fXMin); }

    QString m_strMessage;
    CZbDoc* m_pDoc = nullptr;
    float m_fXMin = kNoValue, m_fYMin = kNoValue, m_fXMax = kNoValue, m_fYMax = kNoValue;
};
