// The snap7 client (node binding) as the peer to beat: for every line on standard input it
// connects to 127.0.0.1:PORT at the given PDU, lists the blocks of each type, uploads all
// of them with FullUpload and disconnects, then prints "WALL_SECONDS CPU_SECONDS BLOCKS"
// of that session. node snap7_upload.js PORT PDU
'use strict';
const snap7 = require('node-snap7');
const readline = require('readline');

const [port, pdu] = process.argv.slice(2).map(Number);
const kTypeLetters = [0x38, 0x45, 0x43, 0x41];  // OB, FB, FC, DB

function session() {
  const client = new snap7.S7Client();
  client.SetParam(client.RemotePort, port);
  client.SetParam(client.PDURequest, pdu);
  if (!client.ConnectTo('127.0.0.1', 0, 2)) throw new Error('connect: ' + client.LastError());
  let blocks = 0;
  for (const letter of kTypeLetters) {
    const numbers = client.ListBlocksOfType(letter) || [];
    for (const number of numbers) {
      if (!client.FullUpload(letter, number, 133120)) throw new Error('upload: ' + client.LastError());
      ++blocks;
    }
  }
  client.Disconnect();
  return blocks;
}

readline.createInterface({input: process.stdin}).on('line', () => {
  const cpu = process.cpuUsage();
  const start = process.hrtime.bigint();
  let blocks = -1;
  try {
    blocks = session();
  } catch (error) {
    console.error(error.message);
  }
  const wall = Number(process.hrtime.bigint() - start) / 1e9;
  const used = process.cpuUsage(cpu);
  console.log(wall + ' ' + (used.user + used.system) / 1e6 + ' ' + blocks);
});
