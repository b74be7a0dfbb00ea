#pragma once

// orvane-capture's --help text, also the source of its manual page.
const char* captureUsage();
