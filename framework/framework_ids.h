// Resource numbers the framework itself looks for in the program's resources (included by
// resource scripts too).
#pragma once

// The application title: the application name, and the caption of the framework's message boxes.
// A program without it is named after its file.
#define AFX_IDS_APP_TITLE 0xE000
