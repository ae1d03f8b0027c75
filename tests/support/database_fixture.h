#pragma once

#include <QString>

// The repository's db/ folder.
QString repoDbFolder();
// Puts a fresh termaro.fdb made from db/create.sql (and db/demo.sql) into `folder`: a copy of
// the database the build made once; throws on failure.
void createDatabase(const QString& folder, bool withDemo);
// Runs an SQL script with isql-fb against folder/termaro.fdb.
void runSqlScript(const QString& folder, const QString& script);
