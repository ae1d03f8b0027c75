#pragma once

#include <QElapsedTimer>

class QProgressBar;

// Moves a progress bar through long work and lets the window repaint a few times a second;
// user input waits until the work is done, so nothing can start twice or close the screen midway.
class ProgressPump {
public:
    explicit ProgressPump(QProgressBar* bar, int maximum);
    // One more unit done.
    void step();
    // Shows the end.
    void finish();

private:
    void pump();
    QProgressBar* m_bar;
    int m_done = 0;
    QElapsedTimer m_sincePaint;
};
