#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <memory>

#include "report/page_model.h"

// A prepared report handed to the preview: which template, how it is shown, what it says.
struct ReportJob {
    QString templateFile;  // as requested, e.g. "FjLista7L.frf"
    bool landscape = false;
    bool printButton = false;  // frNyomtat shows it, frMegtekint does not
    // The name a saved PDF is proposed under, without ".pdf" (a ticket's carries its number);
    // empty: the template's name.
    QString documentName;
    QVariantMap variables;
    QStringList pageTexts;  // each prepared page's text, top to bottom, left to right
    std::shared_ptr<const PageModel> pageModel;
};
