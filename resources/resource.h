// Resource identifiers, shared by the resource script and the code that loads the resources. Plain
// macros, because the resource compiler reads this file too.
#ifndef KRUMENFEGER_RESOURCE_H
#define KRUMENFEGER_RESOURCE_H

// The window and task-bar icon.
#define IDI_PROGRAM 1

#endif
