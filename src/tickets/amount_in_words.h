#pragma once

#include <QString>

// A whole forint amount in Hungarian words, as the printed ticket writes it after "azaz":
// 1235 → "egyezer-kettöszázharmincöt ", 0 → "nulla", -15 → "mínusz tizenöt ".
QString amountInWords(int amount);
