#pragma once

class QWidget;

// Centres a top-level window on the screen it is (or will be) shown on.
void CenterOnScreen(QWidget *window);
