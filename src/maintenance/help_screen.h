#pragma once

#include "core/screen.h"

// "Sugó": opens the user guide "sugo.pdf" from the working folder.
class TForm21 : public Screen {
    Q_OBJECT
public:
    explicit TForm21(App& app, QWidget* parent = nullptr);
};
