#pragma once

#include <QList>
#include <QString>

class QLineEdit;
class QWidget;
class QFormLayout;
class QGridLayout;

// Admits exactly the listed characters (plus Backspace and editing/navigation keys) into an input.
void acceptOnly(QWidget* input, const QString& characters);
inline const QString digitKeys = QStringLiteral("0123456789");
inline const QString dateKeys = QStringLiteral("0123456789.");
inline const QString amountKeys = QStringLiteral("0123456789,-");

// Enter moves the focus to the next input of `order`, Shift+Enter to the previous one; Enter is
// never typed into an input nor closes the dialog.
void enableEnterNavigation(const QList<QWidget*>& order);

// One row of a screen's field table.
struct FieldSpec {
    const char* label;
    const char* name;            // objectName: the column in upper case, or the given widget name
    int maxLength = 0;           // 0: no limit of its own
    const char* keys = nullptr;  // accepted characters; nullptr: any
    const char* defaultText = nullptr;
    const char* hint = nullptr;  // tool tip
    bool readOnly = false;
};

// Builds a labelled line edit from a field spec into a form layout.
QLineEdit* addField(QFormLayout* form, const FieldSpec& spec);
// The same into a grid: label at (row, column), input at (row, column + 1).
QLineEdit* addField(QGridLayout* grid, int row, int column, const FieldSpec& spec);
