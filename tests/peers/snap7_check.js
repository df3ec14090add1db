// Drives vexal-plcsim with the snap7 client through its node binding, as an independent
// peer: node snap7_check.js generate FILE | blocks PORT PDU FILE | password PORT FILE PASSWORD
'use strict';
const fs = require('fs');
const snap7 = require('node-snap7');

const kTypes = [
  {name: 'OB', code: 0x08, letter: 0x38, numbers: [1, 10, 20, 35, 80, 81, 82, 85, 86, 100]},
  {name: 'FB', code: 0x0E, letter: 0x45, numbers: range(1, 60)},
  {name: 'FC', code: 0x0C, letter: 0x43, numbers: range(1, 110)},
  {name: 'DB', code: 0x0A, letter: 0x41, numbers: range(1, 110)},
  {name: 'SDB', code: 0x0B, letter: 0x42, numbers: range(0, 9)},
];
// The system blocks of a CPU 315-2 PN/DP; the SFC list comes in two answers.
const kSystemTypes = [{name: 'SFC', letter: 0x44, count: 77}, {name: 'SFB', letter: 0x46, count: 15}];

function range(first, last) {
  const numbers = [];
  for (let n = first; n <= last; ++n) numbers.push(n);
  return numbers;
}

function fail(text) {
  console.error('FAIL: ' + text);
  process.exit(1);
}

function padded(text, width) {
  const field = Buffer.alloc(width, 0x20);
  field.write(text, 'latin1');
  return field;
}

// A block image with consistent lengths: header, body, interface, trailer.
function image(type, number, seed) {
  const mc7 = 10 + (number * 97 + seed * 13) % 2900;
  const sbb = type.name === 'DB' ? 20 : 30;
  const length = 36 + mc7 + sbb + 36;
  const b = Buffer.alloc(length);
  for (let i = 36; i < length - 36; ++i) b[i] = (seed + number + i * 7) & 0xFF;
  b[0] = 0x70; b[1] = 0x70; b[2] = 0x01; b[3] = 0x01;
  b[4] = type.name === 'DB' ? 0x05 : (type.name === 'SDB' ? 0x07 : 0x01);
  b[5] = type.code;
  b.writeUInt16BE(number, 6);
  b.writeUInt32BE(length, 8);
  b.writeUInt32BE(43183912, 16); b.writeUInt16BE(11189, 20);
  b.writeUInt32BE(43183912, 22); b.writeUInt16BE(11189, 26);
  b.writeUInt16BE(sbb, 28); b.writeUInt16BE(0, 30); b.writeUInt16BE(20, 32); b.writeUInt16BE(mc7, 34);
  const trailer = length - 36;
  padded('VEXAL', 8).copy(b, trailer);
  padded('CHECK', 8).copy(b, trailer + 8);
  padded(type.name + number, 8).copy(b, trailer + 16);
  b[trailer + 24] = 0x12;
  b.writeUInt16BE((number * 31 + seed) & 0xFFFF, trailer + 26);
  return b;
}

function generate(file) {
  const images = [];
  kTypes.forEach((type, seed) => type.numbers.forEach(n => images.push(image(type, n, seed))));
  fs.writeFileSync(file, Buffer.concat(images));
  console.log('generated ' + images.length + ' blocks');
}

// The images of a program file by type letter and number.
function readProgram(file) {
  const bytes = fs.readFileSync(file);
  const images = new Map();
  for (let at = 0; at + 36 <= bytes.length;) {
    const length = bytes.readUInt32BE(at + 8);
    const type = kTypes.find(t => t.code === bytes[at + 5]);
    images.set(type.letter + ':' + bytes.readUInt16BE(at + 6), bytes.subarray(at, at + length));
    at += length;
  }
  return images;
}

function connect(port, pdu) {
  const client = new snap7.S7Client();
  client.SetParam(client.RemotePort, port);
  client.SetParam(client.PDURequest, pdu);
  if (!client.ConnectTo('127.0.0.1', 0, 2)) fail('connect: ' + client.ErrorText(client.LastError()));
  return client;
}

function check(condition, text) {
  if (!condition) fail(text);
}

function listEveryType(client) {
  const counts = client.ListBlocks();
  check(counts, 'list blocks: ' + client.ErrorText(client.LastError()));
  for (const type of kTypes) {
    check(counts[type.name + 'Count'] === type.numbers.length, type.name + ' count ' + counts[type.name + 'Count']);
    const numbers = client.ListBlocksOfType(type.letter);
    check(numbers, 'list ' + type.name + ': ' + client.ErrorText(client.LastError()));
    check(JSON.stringify(numbers.slice().sort((a, b) => a - b)) === JSON.stringify(type.numbers),
          'list ' + type.name + ' gave ' + JSON.stringify(numbers));
  }
  for (const type of kSystemTypes) {
    const numbers = client.ListBlocksOfType(type.letter);
    check(numbers && numbers.length === type.count, type.name + ' listed ' + JSON.stringify(numbers));
    check(client.Connected(), 'the connection ended after listing ' + type.name);
  }
}

function uploadAll(client, images) {
  let bytes = 0;
  for (const [key, expected] of images) {
    const [letter, number] = key.split(':').map(Number);
    const got = client.FullUpload(letter, number, 133120);
    check(got, 'upload ' + key + ': ' + client.ErrorText(client.LastError()));
    check(Buffer.compare(got, expected) === 0, 'upload ' + key + ' differs from the file');
    bytes += got.length;
  }
  return bytes;
}

function checkBlockInfo(client, images) {
  for (const [key, expected] of images) {
    const [letter, number] = key.split(':').map(Number);
    const info = client.GetAgBlockInfo(letter, number);
    check(info, 'block info ' + key + ': ' + client.ErrorText(client.LastError()));
    check(info.BlkNumber === number && info.BlkType === expected[5] &&
          info.LoadSize === expected.length && info.MC7Size === expected.readUInt16BE(34) &&
          info.Author.trim() === 'VEXAL',
          'block info ' + key + ' gave ' + JSON.stringify(info));
  }
}

function checkLists(client) {
  const module = client.ReadSZL(0x0111, 0x0001);
  check(module, 'SZL 0x0111: ' + client.ErrorText(client.LastError()));
  // The binding gives the record length and count in host order, then the records.
  check(module.readUInt16LE(2) === 1 && module.readUInt16BE(4) === 1 && module.length === 4 + 28,
        'SZL 0x0111 index 1 gave ' + module.toString('hex'));
  const header = client.ReadSZL(0x0FA0, 0);
  check(header, 'SZL 0x0FA0: ' + client.ErrorText(client.LastError()));
  check(header.readUInt16LE(2) === 100, 'SZL 0x0FA0 gave ' + header.toString('hex'));
}

function blocks(port, pdu, file) {
  const images = readProgram(file);
  const client = connect(port, pdu);
  check(client.PDULength() === pdu, 'PDU ' + client.PDULength() + ' instead of ' + pdu);
  listEveryType(client);
  const bytes = uploadAll(client, images);
  checkBlockInfo(client, images);
  checkLists(client);
  client.Disconnect();
  console.log('PDU ' + pdu + ': listed, uploaded ' + images.size + ' blocks (' + bytes + ' bytes), block info and lists fine');
}

function password(port, file, text) {
  const images = readProgram(file);
  const [key, expected] = images.entries().next().value;
  const [letter, number] = key.split(':').map(Number);
  const client = connect(port, 240);
  check(!client.FullUpload(letter, number, 133120), 'uploaded without the password');
  console.log('refused without the password: ' + client.ErrorText(client.LastError()));
  check(client.Connected() && client.ListBlocks(), 'the connection did not survive the refusal');
  check(client.SetSessionPassword(text), 'password: ' + client.ErrorText(client.LastError()));
  const got = client.FullUpload(letter, number, 133120);
  check(got && Buffer.compare(got, expected) === 0, 'upload with the password failed');
  client.Disconnect();
}

const [command, ...args] = process.argv.slice(2);
if (command === 'generate') generate(args[0]);
else if (command === 'blocks') blocks(Number(args[0]), Number(args[1]), args[2]);
else if (command === 'password') password(Number(args[0]), args[1], args[2]);
else fail('usage: snap7_check.js generate FILE | blocks PORT PDU FILE | password PORT FILE PASSWORD');
