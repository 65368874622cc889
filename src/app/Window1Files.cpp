// The window's file handlers: saving the capture and loading one.
#include "app/Window1.h"

void Window1::SavePB_Action() {}

void Window1::LoadPB_Action() {}
