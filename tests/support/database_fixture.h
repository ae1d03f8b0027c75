#pragma once

#include <QString>

// The repository's db/ folder.
QString repoDbFolder();
// Builds termaro.fdb in `folder` from db/create.sql (and db/demo.sql); throws on failure.
void createDatabase(const QString& folder, bool withDemo);
// Runs an SQL script with isql-fb against folder/termaro.fdb.
void runSqlScript(const QString& folder, const QString& script);
