#pragma once

class QWidget;

// Places a window at the centre of the screen it is on. Failures are ignored.
void Centre_Form(QWidget *form);
