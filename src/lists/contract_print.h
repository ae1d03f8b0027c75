#pragma once

#include <QList>
#include <QString>

#include "core/screen.h"

class QLabel;
class QLineEdit;

// "Szerzödés nyomtatás": a contract form for a chosen producer, printed as FjSzerzodes.
class TForm33 : public Screen {
    Q_OBJECT
public:
    explicit TForm33(App& app, QWidget* parent = nullptr);

    QString chosenProducerCode() const { return m_producerCode; }

private:
    void chooseProducer();
    void print();

    QList<QLineEdit*> m_fields;  // in the order of their variables
    QLabel* m_producer = nullptr;
    QString m_producerCode;
};
