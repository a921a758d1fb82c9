/* Resource ids shared by both programs' resource scripts. */
#pragma once

/* Icons: 1 is the program's own icon (the first icon, so the shell shows it for the file),
   2 the notification-area icon. */
#define IDI_PROGRAM 1
#define IDI_TRAY 2
