#include <GL/glut.h>

#include "shell/Window.h"

int main(int argc, char** argv) {
    startUp(&argc, argv);
    glutMainLoop();
    return 0;
}
