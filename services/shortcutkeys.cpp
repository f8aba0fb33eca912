#include "app/form1.h"

void Form1::Timer1_Timer() {
    // One tick is all it takes: the keys stay registered until the end.
    Timer1.stop();
    shortcuts.registerAll({
        {'N', [this] { PushButton2_Click(); }},
        {'O', [this] { PushButton1_Click(); }},
        {'S', [this] { PushButton7_Click(); }},
        {'A', [this] { PushButton14_Click(); }},
        {'W', [this] { PushButton11_Click(); }},
    });
}
