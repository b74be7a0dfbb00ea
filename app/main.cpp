#include <GL/glut.h>

#include "app/Startup.h"

int main(int argc, char** argv) {
    startUp(&argc, argv);
    glutMainLoop();
    return 0;
}
