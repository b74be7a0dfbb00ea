#pragma once

// Where the page records its session, in emscripten's memory file system:
// the main loop writes it, the panel reads it back for the console.
constexpr char kSessionRecordingPath[] = "/session.txt";
