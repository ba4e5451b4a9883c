#pragma once
#include <system_error>

// The page keeps the score folder in the browser's IndexedDB, which only
// sees what is pushed to it. Pushes the folder now and waits for the answer;
// an error when the browser refused, which the page has already shown.
std::error_code PersistBrowserFiles();
