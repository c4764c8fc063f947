// The site stays within what a school's link loads quickly: every file of the built site,
// each gzipped as a web server sends it, at most 400 KB together. Prints each file's share.
// Usage: node site_size.js SITE_FOLDER
'use strict';

const fs = require('fs');
const path = require('path');
const zlib = require('zlib');

const kMostBytes = 400 * 1000;
const site = process.argv[2];
let total = 0;
for (const name of fs.readdirSync(site).sort()) {
  const packed = zlib.gzipSync(fs.readFileSync(path.join(site, name)), {level: 9}).length;
  console.log(`${name} ${packed}`);
  total += packed;
}
const fits = total > 0 && total <= kMostBytes;
console.log(`${fits ? 'PASS' : 'FAIL'} the site is ${total} bytes gzipped, at most ${kMostBytes}`);
process.exitCode = fits ? 0 : 1;
