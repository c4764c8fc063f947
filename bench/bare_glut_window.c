/* The smallest freeglut program with the editor's window (800 x 600, double-buffered RGB
 * with depth), clearing it on every expose: the baseline for time to window and memory. */
#include <GL/freeglut.h>

static void Display(void) {
    glClearColor(1, 1, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(10, 10);
    glutInitWindowSize(800, 600);
    glutCreateWindow("Bare");
    glutDisplayFunc(Display);
    glutMainLoop();
    return 0;
}
