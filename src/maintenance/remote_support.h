#pragma once

#include "core/screen.h"

// "Távsegítség": starts the remote-support program AnyDesk.
class TForm26 : public Screen {
    Q_OBJECT
public:
    explicit TForm26(App& app, QWidget* parent = nullptr);
};
