#pragma once

struct Camera;

// Multiplies the current (model-view) matrix by the camera's view.
void applyCameraView(const Camera& camera);
