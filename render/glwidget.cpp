#include "render/glwidget.h"

GLWidget::GLWidget(Logic *logic) : logic(logic) {}
GLWidget::~GLWidget() {}
QSize GLWidget::sizeHint() const { return QSize(400, 400); }
QSize GLWidget::minimumSizeHint() const { return QSize(50, 50); }
void GLWidget::initializeGL() { glClearColor(0, 0, 0, 1); }
void GLWidget::resizeGL(int width, int height) { glViewport(0, 0, width, height); }
void GLWidget::paintGL() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }
