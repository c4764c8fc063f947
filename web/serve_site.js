// Serves a built site folder (build-web/site) on 127.0.0.1, as any static web server
// would, with the types a browser needs for wasm. Used by scripts/web.sh serve, the
// browser test and the page's figures (bench/web_figures.js).
// Usage: node serve_site.js FOLDER [PORT]   (port 0: one the system picks)
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');

const kTypes = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream'
};

// Resolves with the listening server; files outside the folder are not served.
function serveSite(folder, port) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://site').pathname);
    const file = path.join(root, name === '/' ? 'index.html' : name);
    if (!file.startsWith(root + path.sep)) {
      response.writeHead(403);
      response.end();
      return;
    }
    fs.readFile(file, (error, body) => {
      response.writeHead(error ? 404 : 200,
          {'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream'});
      response.end(error ? '' : body);
    });
  });
  return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve(server)));
}

module.exports = {serveSite};

if (require.main === module) {
  serveSite(process.argv[2], Number(process.argv[3] || 8000)).then((server) => {
    console.log(`web: open http://127.0.0.1:${server.address().port}/ (Ctrl+C stops)`);
  });
}
