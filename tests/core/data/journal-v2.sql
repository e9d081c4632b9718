-- A journal of version 2 as velmora wrote it before its chain was keyed: a zero command, a run
-- completed, a mode change, and a run of two readings whose count was raised to 5, left open.
PRAGMA foreign_keys=OFF;
BEGIN TRANSACTION;
CREATE TABLE runs (
        station TEXT NOT NULL, run_id TEXT NOT NULL, port TEXT NOT NULL, started_at TEXT NOT NULL,
        unit TEXT NOT NULL, sample TEXT NOT NULL, batch TEXT NOT NULL, inspector TEXT NOT NULL,
        sample_count INTEGER NOT NULL, mode INTEGER NOT NULL,
        const_a REAL NOT NULL, const_len_c REAL NOT NULL, const_c REAL NOT NULL,
        const_len_a REAL NOT NULL,
        status TEXT NOT NULL DEFAULT 'open'
            CHECK (status IN ('open', 'completed', 'discarded', 'abandoned')),
        ended_at TEXT, cause TEXT, mean TEXT, deviation TEXT,
        UNIQUE (station, run_id));
INSERT INTO runs VALUES('station-a','b8337b95-03bc-4b18-a033-dd778de3f0dc','/dev/pts/3','2026-12-07T12:41:41.298Z','检验所, 一室','蔗糖','B-7','张三',3,1,66.5,2.0,1.0,2.0,'completed','2026-12-07T12:41:41.310Z','','21.449','');
INSERT INTO runs VALUES('station-a','7b25bbf4-c090-4bb0-a7cc-ca68745e7468','/dev/pts/3','2026-12-07T12:41:41.330Z','检验所, 一室','蔗糖','B-7','张三',3,0,1.0,2.0,1.0,2.0,'open',NULL,NULL,NULL,NULL);
CREATE TABLE readings (
        station TEXT NOT NULL, seq INTEGER NOT NULL, run_id TEXT NOT NULL,
        number INTEGER NOT NULL, received TEXT NOT NULL, value REAL NOT NULL,
        confirmed_at TEXT NOT NULL, hash BLOB NOT NULL,
        PRIMARY KEY (station, seq), UNIQUE (station, run_id, number),
        FOREIGN KEY (station, run_id) REFERENCES runs (station, run_id)) WITHOUT ROWID;
INSERT INTO readings VALUES('station-a',3,'b8337b95-03bc-4b18-a033-dd778de3f0dc',1,'34626',100.00000474974513053,'2026-12-07T12:41:41.298Z',X'e44abed9ca6ad8d0c7beb8d4b35ae4a0965814e146257292ae92aef6f7171b00');
INSERT INTO readings VALUES('station-a',4,'b8337b95-03bc-4b18-a033-dd778de3f0dc',2,'A',0.0,'2026-12-07T12:41:41.306Z',X'72501a91fa5ba02c5a615e46d029da25806216fdd006fa62bb9de194e28757bf');
INSERT INTO readings VALUES('station-a',5,'b8337b95-03bc-4b18-a033-dd778de3f0dc',3,'-12345',-35.652401624086053288,'2026-12-07T12:41:41.310Z',X'eecab8ab532fce970866eeea7b75726437c8f9cd1d6bc7e6981b29e66b9890b4');
INSERT INTO readings VALUES('station-a',9,'7b25bbf4-c090-4bb0-a7cc-ca68745e7468',1,'34626',100.00000474974513053,'2026-12-07T12:41:41.330Z',X'6b8039bedada4b966ad87e82e6ba6c17f06e30dc53b9f522fa526795550238f8');
INSERT INTO readings VALUES('station-a',10,'7b25bbf4-c090-4bb0-a7cc-ca68745e7468',2,'A',0.0,'2026-12-07T12:41:41.342Z',X'48a1dcd0f830cbbf146c86203bbe3b42aab103797dc635c8d2d139e78bc021bc');
CREATE TABLE events (
        station TEXT NOT NULL, seq INTEGER NOT NULL, at TEXT NOT NULL, run_id TEXT,
        kind TEXT NOT NULL, detail TEXT NOT NULL, hash BLOB NOT NULL,
        PRIMARY KEY (station, seq),
        FOREIGN KEY (station, run_id) REFERENCES runs (station, run_id)) WITHOUT ROWID;
INSERT INTO events VALUES('station-a',1,'2026-12-07T12:41:41.295Z',NULL,'zero-sent','',X'5b7783bb63d1c69850dccc5775497386ce92c8d57092fdb6de2d44f516fd62b7');
INSERT INTO events VALUES('station-a',2,'2026-12-07T12:41:41.299Z','b8337b95-03bc-4b18-a033-dd778de3f0dc','run-started','{"C":"1","a":"66.5","batch":"B-7","inspector":"张三","lenC":"2","lena":"2","mode":1,"n":3,"port":"/dev/pts/3","sample":"蔗糖","started":"2026-12-07T12:41:41.298Z","unit":"检验所, 一室"}',X'4b074e61cf72143d8514c02b50856d9d642f430217883b5aab1e33cb9b1fd504');
INSERT INTO events VALUES('station-a',6,'2026-12-07T12:41:41.311Z','b8337b95-03bc-4b18-a033-dd778de3f0dc','run-completed','{"cause":"","deviation":"","ended":"2026-12-07T12:41:41.310Z","mean":"21.449","status":"completed"}',X'360e847ecf1ca4ca105514a79592fd7655c5ccb26a5be6146177152c62155655');
INSERT INTO events VALUES('station-a',7,'2026-12-07T12:41:41.318Z','b8337b95-03bc-4b18-a033-dd778de3f0dc','mode-changed','{"C":1,"a":1,"lenC":2,"lena":2,"mode":0}',X'70209e665e84128f50c47dd2f1eb01dd2b499fce552b98b1ec2c99cb577bc09f');
INSERT INTO events VALUES('station-a',8,'2026-12-07T12:41:41.331Z','7b25bbf4-c090-4bb0-a7cc-ca68745e7468','run-started','{"C":"1","a":"1","batch":"B-7","inspector":"张三","lenC":"2","lena":"2","mode":0,"n":3,"port":"/dev/pts/3","sample":"蔗糖","started":"2026-12-07T12:41:41.330Z","unit":"检验所, 一室"}',X'e580c2a0cd5edd0523e44732d535860e2a36135b6c6c748e5ba293c88905da91');
INSERT INTO events VALUES('station-a',11,'2026-12-07T12:41:41.347Z','7b25bbf4-c090-4bb0-a7cc-ca68745e7468','sample-count-changed','5',X'2d9de1dc671972bfbceda68f7ec89bae7217b42b0022b4978aaa26c5ebd52433');
CREATE TABLE identity (journal TEXT NOT NULL);
INSERT INTO identity VALUES('f73ee5cbdf08eb821639bc13018c43a3');
CREATE INDEX runs_by_start ON runs (started_at);
CREATE INDEX runs_open ON runs (station, started_at) WHERE status = 'open';
CREATE TRIGGER readings_kept BEFORE UPDATE ON readings
        BEGIN SELECT RAISE(ABORT, 'journal rows are never changed'); END;
CREATE TRIGGER readings_not_deleted BEFORE DELETE ON readings
        BEGIN SELECT RAISE(ABORT, 'journal rows are never deleted'); END;
CREATE TRIGGER events_kept BEFORE UPDATE ON events
        BEGIN SELECT RAISE(ABORT, 'journal rows are never changed'); END;
CREATE TRIGGER events_not_deleted BEFORE DELETE ON events
        BEGIN SELECT RAISE(ABORT, 'journal rows are never deleted'); END;
CREATE TRIGGER runs_not_deleted BEFORE DELETE ON runs
        BEGIN SELECT RAISE(ABORT, 'journal rows are never deleted'); END;
CREATE TRIGGER runs_closed_once BEFORE UPDATE ON runs
        WHEN OLD.status <> 'open' OR NEW.status = 'open'
            OR NEW.station IS NOT OLD.station OR NEW.run_id IS NOT OLD.run_id
            OR NEW.port IS NOT OLD.port OR NEW.started_at IS NOT OLD.started_at
            OR NEW.unit IS NOT OLD.unit OR NEW.sample IS NOT OLD.sample
            OR NEW.batch IS NOT OLD.batch OR NEW.inspector IS NOT OLD.inspector
            OR NEW.sample_count IS NOT OLD.sample_count OR NEW.mode IS NOT OLD.mode
            OR NEW.const_a IS NOT OLD.const_a OR NEW.const_len_c IS NOT OLD.const_len_c
            OR NEW.const_c IS NOT OLD.const_c OR NEW.const_len_a IS NOT OLD.const_len_a
        BEGIN SELECT RAISE(ABORT, 'a run is closed once and its header never changes'); END;
CREATE TRIGGER identity_once BEFORE INSERT ON identity
        BEGIN SELECT RAISE(ABORT, 'a journal has one identity'); END;
CREATE TRIGGER identity_kept BEFORE UPDATE ON identity
        BEGIN SELECT RAISE(ABORT, 'a journal has one identity'); END;
CREATE TRIGGER identity_not_deleted BEFORE DELETE ON identity
        BEGIN SELECT RAISE(ABORT, 'a journal has one identity'); END;
PRAGMA user_version = 2;
COMMIT;
