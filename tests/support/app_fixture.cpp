#include "support/app_fixture.h"

#include <QDir>

#include "support/database_fixture.h"

AppFixture::AppFixture(bool withDemo) : AppFixture(withDemo, {}) {}

AppFixture::AppFixture(bool withDemo, const std::function<void(const QString& folder)>& beforeStart)
    : m_previous(QDir::currentPath()) {
    createDatabase(m_dir.path(), withDemo);
    QDir::setCurrent(m_dir.path());
    if (beforeStart) beforeStart(m_dir.path());
    m_app = App::start(ui);
}

AppFixture::~AppFixture() {
    m_app.reset();
    QDir::setCurrent(m_previous);
}

void AppFixture::chooseBuyer(const QString& code) {
    Query& q = data().query("ZQ60");
    q.close();
    q.setSql(QStringLiteral("SELECT * FROM atvevo WHERE v_akod = :p1"));
    q.bindText("p1", code);
    q.open();
    RunValues& r = run();
    r.buyerCode = code;
    r.typeTicket = QStringLiteral("1");
    r.typeVoiding = QStringLiteral("4");
    r.defaultStatement = q.text("V_NYILATK");
    r.printVariant =
        q.text("V_VERZIO").trimmed().isEmpty() ? QString() : q.text("V_VERZIO").left(1);
}

void AppFixture::exec(const QString& sql) {
    Query& q = data().query("ZQ91");
    q.setSql(sql);
    q.execSql();
    data().commit();
}

QString AppFixture::scalar(const QString& sql) {
    Query& q = data().query("ZQ91");
    q.setSql(sql);
    q.open();
    const QString value = q.valueAt(0, 0).asText();
    q.close();
    return value;
}
