#include "core/errors.h"

QString errorText(const std::exception& e) {
    if (const auto* app = dynamic_cast<const AppError*>(&e)) return app->text();
    return QString::fromUtf8(e.what());
}
