#pragma once

class QTableView;

// Widens each column of a grid to its title and the values in view (an 11-digit number, a
// name), capped so one long text cannot push the others out; a column never gets narrower
// than it is, so the grid does not jump as rows change.
void fitColumnsToContent(QTableView* view);
