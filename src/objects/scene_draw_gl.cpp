// The GL drawing of scene objects and meshes.
#include "objects/scene_draw_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "objects/mesh.h"
#include "objects/scene_object.h"
#include "texturing/gl_texture.h"

void GlSceneDrawer::drawObjectMarker(const SceneObject& object)
{
    glEnable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    if (GLUquadric* sphere = gluNewQuadric()) {
        gluQuadricDrawStyle(sphere, GLU_LINE);
        gluSphere(sphere, object.radius, 16, 16);
        gluDeleteQuadric(sphere);
    }
    glPushMatrix();
    glTranslatef(object.position[0], object.position[1], object.position[2]);
    glDisable(GL_CULL_FACE);
    glBegin(GL_QUADS);
    glColor3f(1, 0, 0);  // x-z plane
    glVertex3f(-1, 0, -1);
    glVertex3f(1, 0, -1);
    glVertex3f(1, 0, 1);
    glVertex3f(-1, 0, 1);
    glColor3f(0, 1, 0);  // x-y plane
    glVertex3f(-1, -1, 0);
    glVertex3f(1, -1, 0);
    glVertex3f(1, 1, 0);
    glVertex3f(-1, 1, 0);
    glColor3f(0, 0, 1);  // y-z plane
    glVertex3f(0, -1, -1);
    glVertex3f(0, 1, -1);
    glVertex3f(0, 1, 1);
    glVertex3f(0, -1, 1);
    glEnd();
    glColor3f(1, 1, 1);
    glEnable(GL_CULL_FACE);
    glPopMatrix();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    if (texturesEnabled) glEnable(GL_TEXTURE_2D);
    glDepthMask(GL_FALSE);
}

void GlSceneDrawer::drawMesh(const Mesh& mesh, float frame, bool applyMaterials, float fade)
{
    int frameA = 0;
    int frameB = 0;
    float t = 0.0f;
    if (mesh.frameCount > 1 && std::isfinite(frame)) {
        float clamped = std::clamp(frame, 0.0f, static_cast<float>(mesh.frameCount - 1));
        frameA = static_cast<int>(clamped);
        frameB = std::min(frameA + 1, mesh.frameCount - 1);
        t = clamped - static_cast<float>(frameA);
    }
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    for (const MeshPart& part : mesh.parts) {
        if (part.vertexCount == 0 || part.triangleCount == 0 || part.positions.empty()) continue;
        glPushMatrix();
        if (part.flags & MeshPart::PerFrame) {
            float transform[16];
            mesh.PartTransform(part, frameA, frameB, t, transform);
            glMultMatrixf(transform);
        }
        bool twoSided = part.flags & MeshPart::TwoSided;
        if (twoSided) glDisable(GL_CULL_FACE);
        bool textured = false;
        if (applyMaterials) {
            glColor4f(part.colour[0], part.colour[1], part.colour[2], part.colour[3] * fade);
            if ((part.materialFlags & MeshPart::kMaterialTextured) && part.texture && part.texture->isValid()) {
                glEnable(GL_TEXTURE_2D);
                part.texture->bind();
                textured = true;
            } else {
                glDisable(GL_TEXTURE_2D);
            }
        }
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, part.positions.data());
        if ((part.flags & MeshPart::Normals) && part.normals.size() >= static_cast<size_t>(part.vertexCount) * 3) {
            glEnable(GL_LIGHTING);
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(GL_BYTE, 0, part.normals.data());
        } else {
            glDisableClientState(GL_NORMAL_ARRAY);
        }
        // Coordinates are per vertex: a part with fewer than its vertices
        // is drawn untextured rather than read past its array.
        if (textured && part.texCoords.size() >= static_cast<size_t>(part.vertexCount) * 2) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, part.texCoords.data());
        } else {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        glDrawElements(GL_TRIANGLES, part.triangleCount * 3, GL_UNSIGNED_SHORT, part.indices.data());
        if (twoSided) glEnable(GL_CULL_FACE);
        glPopMatrix();
    }
    glPopClientAttrib();
    glColor4f(1, 1, 1, 1);
}
