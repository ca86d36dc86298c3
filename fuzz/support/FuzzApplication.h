#pragma once

// Creates, once per process, the application object that message boxes need, on Qt's
// offscreen platform, and answers every modal dialog with its default result instead of
// waiting for a user.
void EnsureFuzzApplication();
