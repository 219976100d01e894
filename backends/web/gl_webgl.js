// The WebGL side of gl_webgl.cpp: one program and one vertex buffer for each
// WebGL context, made on first use and kept bound (nothing else draws into
// the context), and the few state calls passed on as they are.
var VortaGl = {
  context: function () {
    return GL.currentContext ? GL.currentContext.GLctx : null;
  },

  // Vertices of 7 floats (x, y, z, r, g, b, a) as triangles; `transform`, when
  // not 0, is the new projection times model-view matrix (16 floats).
  draw: function (vertices, count, transform) {
    const gl = this.context();
    if (!gl)
      return;
    const own = gl.vortaBatch || this.prepare(gl);
    if (transform)
      gl.uniformMatrix4fv(own.transform, false, HEAPF32.subarray(transform >> 2, (transform >> 2) + 16));
    gl.bufferData(gl.ARRAY_BUFFER, HEAPF32.subarray(vertices >> 2, (vertices >> 2) + count * 7),
                  gl.STREAM_DRAW);
    gl.drawArrays(gl.TRIANGLES, 0, count);
  },

  // What the fixed pipeline did for the game: the matrix on each vertex, the
  // colours interpolated across the triangle, as exact as the device allows
  // (the desktop's are 32-bit floats).
  prepare: function (gl) {
    const high = gl.getShaderPrecisionFormat(gl.FRAGMENT_SHADER, gl.HIGH_FLOAT);
    const precision = high && high.precision > 0 ? 'highp' : 'mediump';
    const program = gl.createProgram();
    const attach = function (type, source) {
      const shader = gl.createShader(type);
      gl.shaderSource(shader, source);
      gl.compileShader(shader);
      gl.attachShader(program, shader);
    };
    attach(gl.VERTEX_SHADER,
           'uniform mat4 transform; attribute vec3 position; attribute vec4 colour;' +
           'varying vec4 shade;' +
           'void main() { gl_Position = transform * vec4(position, 1.0); shade = colour; }');
    attach(gl.FRAGMENT_SHADER, 'precision ' + precision + ' float; varying vec4 shade;' +
                               'void main() { gl_FragColor = shade; }');
    gl.bindAttribLocation(program, 0, 'position');
    gl.bindAttribLocation(program, 1, 'colour');
    gl.linkProgram(program);
    gl.useProgram(program);
    gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
    gl.enableVertexAttribArray(0);
    gl.enableVertexAttribArray(1);
    gl.vertexAttribPointer(0, 3, gl.FLOAT, false, 28, 0);
    gl.vertexAttribPointer(1, 4, gl.FLOAT, false, 28, 12);
    gl.disable(gl.DITHER); // as the desktop's drivers draw
    gl.vortaBatch = {transform: gl.getUniformLocation(program, 'transform')};
    return gl.vortaBatch;
  },

  call: function (call, a, b, c, d) {
    const gl = this.context();
    if (!gl)
      return;
    switch (call) {
    case 0: gl.clear(a); break;
    case 1: gl.clearColor(a, b, c, d); break;
    case 2: gl.clearDepth(a); break;
    case 3: if (b) gl.enable(a); else gl.disable(a); break;
    case 4: gl.blendFunc(a, b); break;
    case 5: gl.viewport(a, b, c, d); break;
    }
  },
};
