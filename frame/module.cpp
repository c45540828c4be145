#include "frame/module.h"

void* moduleHandle = nullptr;
