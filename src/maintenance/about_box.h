#pragma once

#include "core/screen.h"

// "Névjegy": the about box with the product title and the maker's contact lines.
class TForm16 : public Screen {
    Q_OBJECT
public:
    explicit TForm16(App& app, QWidget* parent = nullptr);
};
