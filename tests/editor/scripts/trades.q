/ Trade and quote analytics for the intraday desk.
/ Load with: q trades.q -p 5001

\d .trd

/ reference data
syms:`AAPL`MSFT`IBM`GOOG`AMZN
venues:`XNAS`XNYS`ARCX
px0:syms!150.25 310.5 135.1 2801.0 3300.75

/
Block comment describing the schema.
Quotes such as " and \ inside here do not open strings.
  trade: time sym px size venue
\

trade:([] time:`timestamp$(); sym:`symbol$(); px:`float$(); size:`long$(); venue:`symbol$())
quote:([] time:`timestamp$(); sym:`symbol$(); bid:`float$(); ask:`float$(); bsize:`long$(); asize:`long$())

gen:{[n]
  t:.z.p+til n;                    / one nanosecond apart
  s:n?syms;
  p:px0[s]*1+0.001*-1+2*n?1f;
  `trade insert (t;s;p;100*1+n?10;n?venues);
  count trade}

vwap:{[s;st;et] select vwap:size wavg px, volume:sum size by sym from trade where sym in s, time within (st;et)}

/ bar statistics with xbar
bars:{[m] select o:first px, h:max px, l:min px, c:last px, v:sum size by sym, bucket:m xbar time.minute from trade}

spread:{[] update mid:0.5*bid+ask, spr:ask-bid from quote}

asofJoin:{aj[`sym`time; trade; quote]}

fmt:{[x] "px=",string[x],"; note=\"quoted\" path=C:\\data\\"}
report:{-1 "VWAP for ",(", " sv string syms),": done";}

checks:(1b;0b;101b;0x1f;0x00ff;3.5e;10h;42j;7i;0Np;0Wj;0nf;12:30u;12:30:00v;12:30:00.000t;2020.01m;2020.01.01;
  2020.01.01T12:00:00.000z;0D00:00:01.000000000n;2020.01.01D12:00:00.000000000p;0N;0W;0n;0w;.5;1e10)

bad:(12b;0x1g;12a)

\d .

.trd.gen 1000
show .trd.vwap[`AAPL`IBM; .z.p-0D01; .z.p]
